#include "ui/widgets/scripted_dialogs.h"

#include <QDialog>

namespace {

std::optional<QString> nextAnswer(
    std::deque<std::optional<QString>> &answers, QStringList &unscripted, const QString &question)
{
    if (answers.empty()) {
        unscripted << question;
        return std::nullopt;
    }
    const std::optional<QString> &front = answers.front();
    const QString answer = front.value_or(QString());
    const bool confirmed = front.has_value();
    answers.pop_front();
    return confirmed ? std::optional<QString>(answer) : std::nullopt;
}

} // namespace

std::optional<QString> ScriptedDialogs::askOpenFile(
    QWidget *, const QString &filter, const QString &title)
{
    openFilters << filter;
    openTitles << title;
    return nextAnswer(openAnswers, unscripted, u"open: "_qs + filter);
}

QStringList ScriptedDialogs::askOpenFiles(QWidget *, const QString &filter, const QString &title)
{
    openFilters << filter;
    openTitles << title;
    if (openManyAnswers.empty()) {
        unscripted << u"open several: "_qs + filter;
        return {};
    }
    const QStringList answer = openManyAnswers.front();
    openManyAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::askSaveFile(
    QWidget *, const QString &filter, const QString &suggestedName)
{
    saveFilters << filter;
    saveSuggestions << suggestedName;
    return nextAnswer(saveAnswers, unscripted, u"save: "_qs + filter);
}

Dialogs::Answer ScriptedDialogs::askYesNoCancel(
    QWidget *, const QString &text, const QString &, const QString &, const QString &)
{
    questions << text;
    if (whileAsking)
        whileAsking(text);
    if (questionAnswers.empty()) {
        unscripted << u"question: "_qs + text;
        return Answer::Cancel;
    }
    const Answer answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

Dialogs::Answer ScriptedDialogs::askYesNo(
    QWidget *parent, const QString &text, const QString &yes, const QString &no)
{
    return askYesNoCancel(parent, text, yes, no, {});
}

void ScriptedDialogs::showMessage(QWidget *, const QString &text)
{
    messages << text;
}

void ScriptedDialogs::showFolder(QWidget *, const QString &folder)
{
    shownFolders << folder;
}

int ScriptedDialogs::showModal(QDialog &window)
{
    modalWindows << window.objectName();
    return onModal ? onModal(window) : QDialog::Rejected;
}
