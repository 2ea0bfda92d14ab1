#pragma once

class FilterChips;
class FindBar;
class GapCaption;
class HeightDivider;
class MessageBar;
class PlacedLayout;
class ProgressStrip;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;
class SongTableView;
class SourceView;

// The main window's controls: each one under the name the system gives it, at the place it has
// in a window of the default size, and moving or growing by its rule in a larger one. Built once
// by the window, which wires them to its handlers.
struct MainWindowControls
{
    // Builds every control in `window` and lays them out.
    void build(QWidget *window);

    SourceView *sourceView = nullptr;
    QLabel *searchFilePathLabel = nullptr;
    QLabel *songFolderLabel = nullptr;
    QPushButton *browseButton = nullptr;
    QPushButton *analyseButton = nullptr;
    QPushButton *songFolderButton = nullptr;
    HeightDivider *divider = nullptr;

    SongTableView *songTable = nullptr;
    QCheckBox *checkAllBox = nullptr;
    QLineEdit *randomCountField = nullptr;
    QLabel *songCountLabel = nullptr;
    QPushButton *randomPickButton = nullptr;
    QPushButton *exportCodesButton = nullptr;
    QPushButton *aboutButton = nullptr;
    FindBar *findBar = nullptr;
    ProgressStrip *workbookProgress = nullptr;
    ProgressStrip *loadProgress = nullptr;
    // What a command did, above the source view; the filters in force, above the song table.
    // Each takes the height it needs from the view under it, none while empty.
    MessageBar *messageBar = nullptr;
    FilterChips *filterChips = nullptr;

    // The song table's pop-up menu and the window's commands without a button.
    QMenu *menu = nullptr;
    QAction *playSelectedAction = nullptr;
    QAction *aboutAction = nullptr;
    QAction *copyCodesAction = nullptr;
    QAction *copyDetailsAction = nullptr;
    QAction *exportWorkbookAction = nullptr;
    QAction *findAction = nullptr;
    QAction *cancelAction = nullptr;

private:
    void buildSourceGroup(QWidget *window);
    void buildAnalysisGroup(QWidget *window);
    void placeRandomCountRow(QWidget *window, GapCaption *caption, QLabel *note);
    void buildCommands(QWidget *window);
    void buildInlineBars(QWidget *window);
    void placeInlineBars();

    PlacedLayout *m_layout = nullptr;
    QWidget *m_sourceGroup = nullptr;
    int m_sourceViewTop = 0;
};
