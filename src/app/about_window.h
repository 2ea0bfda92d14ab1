#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

// The about box, which is also the notice shown on first use: usage notes, the disclaimer and
// the maker's web page.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    using UrlOpener = std::function<bool(const QUrl &)>;

    static const QUrl makerPage;

    // The opener is QDesktopServices::openUrl unless a test gives another.
    explicit AboutWindow(QWidget *parent = nullptr, UrlOpener openUrl = {});

protected:
    // Enter closes the window, as Escape does.
    void keyPressEvent(QKeyEvent *event) override;
    // Opens centred over the main window.
    void showEvent(QShowEvent *event) override;

private:
    void onOpenPageClicked();

    UrlOpener m_openUrl;
};
