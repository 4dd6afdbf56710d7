// The texts the designer shows: captions, menus, titles and messages, exactly as users know them.
#pragma once

#include <QString>

#include <string>

namespace tav::editor::texts {

// A failure's message followed, on a line of its own, by the reason the operation gave (UTF-8).
inline QString withReason(const QString& message, const std::string& reason) {
    return reason.empty() ? message : message + QLatin1Char('\n') + QString::fromStdString(reason);
}

inline const QString kProgram = QStringLiteral("TAVEditor");
inline const QString kUntitled = QStringLiteral("未命名.tav");
inline const QString kCaptionPrefix = QStringLiteral("TAVEditor - ");

inline const QString kOk = QStringLiteral("确定");
inline const QString kCancel = QStringLiteral("取消");
inline const QString kYes = QStringLiteral("是(&Y)");
inline const QString kNo = QStringLiteral("否(&N)");

// File dialogs.
inline const QString kOpenDialogTitle = QStringLiteral("请选择需要打开的文件位置及名称");
inline const QString kSaveDialogTitle = QStringLiteral("请选择需要保存的文件位置及名称");
inline const QString kTavFilter = QStringLiteral("tav文件(*.tav)");
inline const QString kTavSuffix = QStringLiteral("tav");

// Questions.
inline const QString kNewTitle = QStringLiteral("新建确认");
inline const QString kNewText = QStringLiteral("新建文件将清除当前所有内容，是否确定该操作？");
inline const QString kOpenTitle = QStringLiteral("打开确认");
inline const QString kOpenText = QStringLiteral("打开文件将清除当前所有内容，是否确定该操作？");
inline const QString kExitTitle = QStringLiteral("退出确认");
inline const QString kExitText = QStringLiteral("是否退出编辑器？");

// Errors.
inline const QString kOpenFailedTitle = QStringLiteral("打开失败");
inline const QString kOpenMissingText = QStringLiteral("打开失败，错误的文件路径或位置！");
inline const QString kOpenUnusableText = QStringLiteral("打开失败，无法使用文件 ");
inline const QString kSaveFailedTitle = QStringLiteral("保存失败");
inline const QString kSaveFailedText = QStringLiteral("保存失败，无法将文件保存到 ");
inline const QString kPrintFailedTitle = QStringLiteral("打印失败");
inline const QString kPrintScratchText = QStringLiteral("打印失败，无法进行打印操作，请重试！");
inline const QString kPrintLoadText = QStringLiteral("打印失败，无法载入当前数据！");
inline const QString kPrintCopyText = QStringLiteral("打印失败，无法打印文件，请重试！");

// Elements.
inline const QString kDeleteTitle = QStringLiteral("删除确认");
inline const QString kDeleteText = QStringLiteral("是否确定要删除当前选中图形？");
inline const QString kPictureDialogTitle = QStringLiteral("请选择需要打开的BMP图像文件");
inline const QString kPictureFilter = QStringLiteral("BMP图片(*.bmp)");
inline const QString kPictureSuffix = QStringLiteral("bmp");

// Printing.
inline const QString kCopiesTitle = QStringLiteral("打印张数");
inline const QString kCopiesPrompt = QStringLiteral("请输入需要打印的张数，默认打印1张！");
inline const QString kPreviewTitle = QStringLiteral("打印预览");

// Help and about.
inline const QString kAboutTitle = QStringLiteral("关于");
inline const QString kAboutFirstLine = QStringLiteral("TAVEditor 3.1.0.1");
inline const QString kHelpMissingTitle = QStringLiteral("使用说明");
inline const QString kHelpMissingText =
    QStringLiteral("无法打开使用说明文件 help.pdf，请检查程序目录！");

// Menus.
inline const QString kMenuFile = QStringLiteral("&F.文件");
inline const QString kMenuEdit = QStringLiteral("&E.编辑");
inline const QString kMenuBatch = QStringLiteral("&B.批量");
inline const QString kMenuHelp = QStringLiteral("&H.帮助");

inline const QString kUnitMm = QStringLiteral("mm");
inline const QString kUnitLabel = QStringLiteral("单位：毫米");

// The status bar's parts before the pointer has moved.
inline const QString kStatusPoint = QStringLiteral("x = 0.00 mm  y = 0.00 mm");
inline const QString kStatusBox =
    QStringLiteral("x = 0.00 mm  y = 0.00 mm  w = 0.00 mm  h = 0.00 mm");

// The property bar.
inline const QString kInputErrorTitle = QStringLiteral("输入错误");
inline const QString kPaperLengthText = QStringLiteral("输入错误，请输入1-500的数值！");
inline const QString kFontDialogTitle = QStringLiteral("字体选择");

} // namespace tav::editor::texts
