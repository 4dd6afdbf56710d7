// The captions and messages of the batch window.
#pragma once

#include <QString>

namespace tav::editor::batchtexts {

inline const QString kWindowTitle = QStringLiteral("批量打印");
inline const QString kSqlServerTab = QStringLiteral("Microsoft SQL Server");
inline const QString kExcelTab = QStringLiteral("Microsoft Office Excel");
inline const QString kMySqlTab = QStringLiteral("MySQL");
inline const QString kCsvTab = QStringLiteral("CSV 文件");

inline const QString kFailedTitle = QStringLiteral("操作失败");
inline const QString kMenuScratchText = QStringLiteral("操纵失败，无法进行批量操作，请重试！");
inline const QString kNoTemplateText = QStringLiteral("操作失败，模版文件不存在，请重试！");
inline const QString kErrorTitle = QStringLiteral("Error");
inline const QString kConnectFailedTitle = QStringLiteral("连接失败");
inline const QString kMySqlConnectFailedText = QStringLiteral("连接失败，请确认连接信息是否正确！");
inline const QString kSqlServerNotConnectedText =
    QStringLiteral("操作失败，请先连接 Microsoft SQL Server 后重试！");
inline const QString kMySqlNotConnectedText = QStringLiteral("操作失败，请先连接 MySQL 后重试！");
inline const QString kMySqlQueryFailedText =
    QStringLiteral("操作失败，当前无法执行SQL语句，请重试！");
inline const QString kExcelHint =
    QStringLiteral("提示：请选择一个 Microsoft Office Excel 文件，该文件必须不包含密码！");
inline const QString kExcelDialogTitle =
    QStringLiteral("请选择需要操作的 Microsoft Office Excel 文件");
inline const QString kExcelDefaultName = QStringLiteral("工作簿.xls");
inline const QString kExcelFilter = QStringLiteral("Excel 97-2003 工作簿(*.xls)");
inline const QString kExcelSuffix = QStringLiteral("xls");
inline const QString kCannotOpenFileText = QStringLiteral("操作失败，无法打开文件[%1]");
inline const QString kCsvHint =
    QStringLiteral("提示：请选择一个 CSV 文件，第一行为列名，并选择文件的编码。");
inline const QString kCsvDialogTitle = QStringLiteral("请选择需要操作的 CSV 文件");
inline const QString kCsvDefaultName = QStringLiteral("数据.csv");
inline const QString kCsvFilter = QStringLiteral("CSV 文件(*.csv)");
inline const QString kCsvSuffix = QStringLiteral("csv");

inline const QString kPrintQuestionTitle = QStringLiteral("打印确认");
inline const QString kPrintQuestionText = QStringLiteral("是否确定要打印当前列表中选中的数据？");
inline const QString kPrintFailedTitle = QStringLiteral("打印失败");
inline const QString kPrintLoadText = QStringLiteral("打印失败，无法加载模版文件，请重试！");
inline const QString kPrintRowsFailedText =
    QStringLiteral("打印完成，但有 %1 行打印失败（第 %2 行），共选中 %3 行。");
inline const QString kPrintRowReason = QStringLiteral("第 %1 行：%2");
inline const QString kPrintRefusedText = QStringLiteral(
    "打印失败，列表中没有一列的列名是模版的数据标记，每张标签都会是模版原样，未打印任何数据！");
inline const QString kPrintNoMarkText =
    QStringLiteral("提示：以下列的列名不是模版的数据标记，这些列未打印：");
inline const QString kPrintNoticeTitle = QStringLiteral("打印提示");
inline const QString kPrintingProgress = QStringLiteral("正在打印第 %1 行（%2 / %3）");
inline const QString kPrintDone = QStringLiteral("已打印 %1 行，失败 %2 行");
inline const QString kPrintStopped = QStringLiteral("已停止：已打印 %1 行，失败 %2 行");
inline const QString kFilling = QStringLiteral("正在读取数据：%1 行");
inline const QString kFilled = QStringLiteral("共 %1 行");

} // namespace tav::editor::batchtexts
