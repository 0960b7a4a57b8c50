#include "ui/QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace corvantis {

namespace {

QString fromUtf8(const std::string &text)
{
    return QString::fromStdString(text);
}

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Descriptions for the patterns the program passes without one.
QString describePattern(const QString &pattern)
{
    if (pattern.compare(QLatin1String("*.rcf"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Configuration files");
    if (pattern.compare(QLatin1String("*.bin"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("EDID files");
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return QStringLiteral("All files");
    return QStringLiteral("Files");
}

// "*.*" means every file on the program's home system; Qt's dialogs need "*" for that.
QString qtPattern(const QString &pattern)
{
    QStringList parts = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &part : parts) {
        part = part.trimmed();
        if (part == QLatin1String("*.*"))
            part = QStringLiteral("*");
    }
    return parts.join(QLatin1Char(' '));
}

QWidget *dialogOwner()
{
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

QString startPath(const std::string &folder, const std::string &fileName)
{
    const QString name = fromUtf8(fileName);
    if (folder.empty())
        return name;
    return name.isEmpty() ? fromUtf8(folder) : QDir(fromUtf8(folder)).filePath(name);
}

} // namespace

MessageAnswer QtPlatform::messageBox(const std::string &text, const std::string &title,
                                     MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(qtIcon(icon), fromUtf8(title), fromUtf8(text), QMessageBox::NoButton,
                    dialogOwner());
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

std::optional<std::string> QtPlatform::inputBox(const std::string &prompt, const std::string &title,
                                                const std::string &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(dialogOwner(), fromUtf8(title), fromUtf8(prompt),
                                               QLineEdit::Normal, fromUtf8(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

void QtPlatform::beep()
{
    QApplication::beep();
}

QString QtPlatform::qtFilter(const std::string &filter)
{
    const QStringList parts = fromUtf8(filter).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QStringLiteral("All files (*)");
    QStringList filters;
    if (parts.size() == 1) {
        filters << describePattern(parts[0].trimmed()) + QStringLiteral(" (") +
                       qtPattern(parts[0]) + QLatin1Char(')');
    } else {
        // A trailing description without its pattern is dropped.
        for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
            filters << parts[i].trimmed() + QStringLiteral(" (") + qtPattern(parts[i + 1]) +
                           QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::string QtPlatform::openFileDialog(const std::string &title, const std::string &filter,
                                       const std::string &folder, const std::string &fileName)
{
    return QFileDialog::getOpenFileName(dialogOwner(), fromUtf8(title), startPath(folder, fileName),
                                        qtFilter(filter))
        .toStdString();
}

std::string QtPlatform::saveFileDialog(const std::string &title, const std::string &filter,
                                       const std::string &folder, const std::string &fileName)
{
    // Qt asks before an existing file is replaced.
    return QFileDialog::getSaveFileName(dialogOwner(), fromUtf8(title), startPath(folder, fileName),
                                        qtFilter(filter))
        .toStdString();
}

bool QtPlatform::controlKeyDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

bool QtPlatform::shiftKeyDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

QUrl QtPlatform::documentUrl(const std::string &target)
{
    const QString text = fromUtf8(target).trimmed();
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    // A single letter before ":" is a Windows drive, not a scheme.
    if (scheme.size() > 1 && url.isValid())
        return url;
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + text);
    return QUrl::fromLocalFile(text);
}

bool QtPlatform::openDocument(const std::string &target)
{
    if (target.empty())
        return false;
    return QDesktopServices::openUrl(documentUrl(target));
}

bool QtPlatform::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    QStringList args;
    for (const auto &argument : arguments)
        args << fromUtf8(argument);
    return QProcess::startDetached(fromUtf8(program), args);
}

std::string QtPlatform::appDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
}

std::string QtPlatform::programFolder()
{
    return QCoreApplication::applicationDirPath().toStdString();
}

} // namespace corvantis
