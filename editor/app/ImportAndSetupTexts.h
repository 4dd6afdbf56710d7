// The texts of the .lab import and of the two desktop setup commands (fonts, association).
#pragma once

#include <QString>

namespace tav::editor::texts {

// .lab import.
inline const QString kLabDialogTitle = QStringLiteral("请选择需要导入的lab文件");
inline const QString kLabUntitled = QStringLiteral("未命名.lab");
inline const QString kLabFilter = QStringLiteral("lab文件(*.lab)");
inline const QString kLabSuffix = QStringLiteral("lab");
inline const QString kLabConfirmTitle = QStringLiteral("导入确认");
inline const QString kLabConfirmText = QStringLiteral("是否确定要导入文件 ");
inline const QString kLabFailedTitle = QStringLiteral("无法导入");
inline const QString kLabFailedText = QStringLiteral("导入失败，错误的标签格式！");
inline const QString kLabDoneTitle = QStringLiteral("导入成功");
inline const QString kLabDoneText = QStringLiteral(
    "导入成功，由于lab文件的条形码和二维码存储方式和tav文件不一致，您可能需要重新调整"
    "条形码和二维码的角度并修改内容信息！");
// Appended to the success text when pictures could not be read: the count, then this.
inline const QString kLabSkippedBefore = QStringLiteral("另有 ");
inline const QString kLabSkippedAfter = QStringLiteral(" 个图片无法读取，未导入。");

// Font installation.
inline const QString kFontsFailedTitle = QStringLiteral("安装失败");
inline const QString kFontsFailedText =
    QStringLiteral("安装失败，请使用管理员权限运行后再次操作！");
inline const QString kFontsSearching = QStringLiteral("正在搜寻条码字体：");
inline const QString kFontsFoundBefore = QStringLiteral("共计搜索到条码字体 ");
inline const QString kFontsFoundAfter = QStringLiteral(" 个");
inline const QString kFontsTitle = QStringLiteral("安装条码");
inline const QString kFontsAskBefore =
    QStringLiteral("请将需要安装的条码字体(TTF格式)放至目录下的Fonts文件夹，当前找到 ");
inline const QString kFontsAskAfter = QStringLiteral(" 个条码字体，是否立即安装？");
inline const QString kFontsInstalling = QStringLiteral("正在安装条码字体：");
inline const QString kFontsInstalledBefore = QStringLiteral("成功安装条码字体：");
inline const QString kFontsInstalledAfter = QStringLiteral(" 个");
inline const QString kFontsDoneBefore = QStringLiteral("安装完成，成功安装 ");
inline const QString kFontsDoneAfter = QStringLiteral(" 个条码字体！");

// File association.
inline const QString kAssociateFailedTitle = QStringLiteral("关联失败");
inline const QString kAssociateFailedText =
    QStringLiteral("关联失败，请使用管理员权限运行后再次操作！");
inline const QString kAssociateDoneTitle = QStringLiteral("操作成功");
inline const QString kAssociateDoneText = QStringLiteral("操作成功，已成功完成文件关联！");

} // namespace tav::editor::texts
