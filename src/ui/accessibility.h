#pragma once

#include <QComboBox>

// Reports a top-level window with the role of a window (a frame on the accessibility bus);
// Qt gives a plain QWidget window the role of a client area ("filler"). Call from the window's
// constructor: the role is fixed for each class of window.
void exposeAsWindow(const QWidget &window);

// A drop-down list that a screen reader names by its accessible name, with the chosen entry as
// its value. A plain QComboBox on Linux gives its chosen entry as its name too.
class NamedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent = nullptr);
};
