#pragma once

#include "ui/widgets/dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// The test double of the dialogs: answers come from queues the test fills, and every question
// asked is recorded. An unscripted file question is answered with a cancel and recorded in
// `unscripted`, so a test can tell a missing answer from an intended cancel.
class ScriptedDialogs : public Dialogs
{
public:
    std::optional<QString> askOpenFile(
        QWidget *parent, const QString &filter, const QString &title = {}) override;
    QStringList askOpenFiles(
        QWidget *parent, const QString &filter, const QString &title = {}) override;
    std::optional<QString> askSaveFile(
        QWidget *parent, const QString &filter, const QString &suggestedName = {}) override;
    Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &yes,
        const QString &no, const QString &cancel) override;
    Answer askYesNo(
        QWidget *parent, const QString &text, const QString &yes, const QString &no) override;
    void showMessage(QWidget *parent, const QString &text) override;
    void showFolder(QWidget *parent, const QString &folder) override;
    int showModal(QDialog &window) override;

    std::deque<std::optional<QString>> openAnswers;
    std::deque<QStringList> openManyAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<Answer> questionAnswers;
    // Runs while a question shows, before it is answered, as a person's events would run then.
    std::function<void(const QString &question)> whileAsking;
    // Runs on each modal window in place of a person; the default closes it with reject().
    std::function<int(QDialog &)> onModal;

    QStringList openFilters;
    QStringList openTitles; // of each open question, empty for the platform's own
    QStringList saveFilters;
    QStringList saveSuggestions;
    QStringList questions;
    QStringList messages;
    QStringList shownFolders;
    QStringList modalWindows; // object names, in the order shown
    QStringList unscripted;
};
