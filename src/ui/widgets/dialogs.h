#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

// Every question the app asks the user goes through here, so window tests can answer them
// without a person at the keyboard.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // filter: pairs of description and pattern separated by "|", e.g. "文本文档(*.txt)|*.txt".
    // Returns the chosen full path, or nothing when the user cancelled. `title` names what the
    // file is chosen for; empty keeps the platform's own title (打开).
    virtual std::optional<QString> askOpenFile(
        QWidget *parent, const QString &filter, const QString &title = {})
        = 0;
    // One file or several; none when the user cancelled.
    virtual QStringList askOpenFiles(
        QWidget *parent, const QString &filter, const QString &title = {})
        = 0;
    // `suggestedName` is proposed in the folder last used.
    virtual std::optional<QString> askSaveFile(
        QWidget *parent, const QString &filter, const QString &suggestedName = {})
        = 0;
    // A question with three answers, worded by the caller (e.g. 导出, 不导出, 取消). Escape and
    // the close box give the cancel.
    enum class Answer { Yes, No, Cancel };
    virtual Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &yes,
        const QString &no, const QString &cancel)
        = 0;
    // A question with two answers, worded by the caller (e.g. 恢复, 忽略). Escape and the close
    // box give the second; a question that a quit ended unanswered gives Cancel, as does the
    // one above.
    virtual Answer askYesNo(
        QWidget *parent, const QString &text, const QString &yes, const QString &no)
        = 0;
    // A text and one OK button; returns when dismissed.
    virtual void showMessage(QWidget *parent, const QString &text) = 0;
    // Opens the folder in the desktop's file manager; says so when it cannot.
    virtual void showFolder(QWidget *parent, const QString &folder) = 0;
    // Shows a window modally and returns its result when closed.
    virtual int showModal(QDialog &window) = 0;
};

// "文本文档(*.txt)|*.txt" in the form QFileDialog takes: "文本文档(*.txt)".
QString toQtFileFilter(const QString &filter);
