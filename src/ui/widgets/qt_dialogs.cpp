#include "ui/widgets/qt_dialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

#include <array>

QString toQtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QString &pattern = parts[i + 1];
        // QFileDialog reads the patterns from the last parentheses of each entry.
        filters << (description.endsWith(u')') ? description
                                               : description + u" ("_qs + pattern + u')');
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        filters << parts.last();
    return filters.join(u";;"_qs);
}

namespace {

QString defaultSuffix(const QString &filter)
{
    static const QRegularExpression extension(uR"(\*\.(\w+))"_qs);
    const QRegularExpressionMatch match = extension.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QtDialogs::QtDialogs(QString messageTitle)
    : m_messageTitle(std::move(messageTitle))
{
}

void QtDialogs::setFolders(const QString &openFolder, const QString &saveFolder)
{
    m_openFolder = openFolder;
    m_saveFolder = saveFolder;
    m_lastFolder = saveFolder.isEmpty() ? openFolder : saveFolder;
}

void QtDialogs::opened(const QString &path)
{
    m_lastFolder = m_openFolder = QFileInfo(path).absolutePath();
}

std::optional<QString> QtDialogs::askOpenFile(
    QWidget *parent, const QString &filter, const QString &title)
{
    const QString path = QFileDialog::getOpenFileName(parent, title,
        m_openFolder.isEmpty() ? m_lastFolder : m_openFolder, toQtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    opened(path);
    return path;
}

QStringList QtDialogs::askOpenFiles(QWidget *parent, const QString &filter, const QString &title)
{
    const QStringList paths = QFileDialog::getOpenFileNames(parent, title,
        m_openFolder.isEmpty() ? m_lastFolder : m_openFolder, toQtFileFilter(filter));
    if (!paths.isEmpty())
        opened(paths.constFirst());
    return paths;
}

std::optional<QString> QtDialogs::askSaveFile(
    QWidget *parent, const QString &filter, const QString &suggestedName)
{
    QFileDialog dialog(parent, {}, m_lastFolder, toQtFileFilter(filter));
    if (!suggestedName.isEmpty())
        dialog.selectFile(QDir(m_lastFolder).filePath(suggestedName));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = m_saveFolder = QFileInfo(path).absolutePath();
    return path;
}

Dialogs::Answer QtDialogs::askYesNoCancel(QWidget *parent, const QString &text, const QString &yes,
    const QString &no, const QString &cancel)
{
    return ask(parent, text, { yes, no, cancel });
}

Dialogs::Answer QtDialogs::askYesNo(
    QWidget *parent, const QString &text, const QString &yes, const QString &no)
{
    return ask(parent, text, { yes, no });
}

Dialogs::Answer QtDialogs::ask(QWidget *parent, const QString &text, const QStringList &answers)
{
    QMessageBox box(QMessageBox::NoIcon, m_messageTitle, text, QMessageBox::NoButton, parent);
    QList<QPushButton *> buttons;
    for (const QString &answer : answers) {
        const bool last = buttons.size() == answers.size() - 1;
        buttons << box.addButton(answer,
            buttons.isEmpty() ? QMessageBox::AcceptRole
                : last        ? QMessageBox::RejectRole
                              : QMessageBox::DestructiveRole);
    }
    box.setDefaultButton(buttons.constFirst());
    box.setEscapeButton(buttons.constLast());
    box.exec();
    // Nothing clicked: a quit ended every event loop, this one's too.
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    if (clicked < 0)
        return Answer::Cancel;
    return std::array { Answer::Yes, Answer::No, Answer::Cancel }[std::size_t(clicked)];
}

void QtDialogs::showMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_messageTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::showFolder(QWidget *parent, const QString &folder)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        showMessage(parent,
            QCoreApplication::translate("QtDialogs", "无法打开文件夹“%1”：没有可用的文件管理器。")
                .arg(QDir::toNativeSeparators(folder)));
    }
}

int QtDialogs::showModal(QDialog &window)
{
    return window.exec();
}
