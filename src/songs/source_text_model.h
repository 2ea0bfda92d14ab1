#pragma once

#include "ui/core/text_encoding.h"

#include <QAbstractListModel>
#include <QByteArray>

#include <cstdint>
#include <vector>

// The loaded search file as a list of its lines, for the source view. It keeps the bytes once
// and the start of every 64th line; a line is found from the one marked before it and decoded
// (GBK or UTF-8) only when a view asks for it, so a 100 MB file shows at once and costs little
// beyond its bytes.
class SourceTextModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit SourceTextModel(QObject *parent = nullptr);

    // Replaces the whole text; the bytes are shared, not copied.
    void setBytes(QByteArray bytes, TextEncoding encoding = TextEncoding::Gbk);
    // Shows the first lines of a file still being read, while bytes() stays the text set last;
    // the next setBytes replaces them, withdrawFirstScreen shows that text again.
    void showFirstScreen(QByteArray bytes, TextEncoding encoding);
    void withdrawFirstScreen();
    // The text set last, whatever first screen shows.
    const QByteArray &bytes() const { return m_showingFirstScreen ? m_set.bytes : m_shown.bytes; }
    TextEncoding encoding() const
    {
        return m_showingFirstScreen ? m_set.encoding : m_shown.encoding;
    }

    // The row with the most bytes, to size a view's items without measuring every line.
    int longestRow() const { return m_shown.longestRow; }
    QByteArrayView line(int row) const;
    // The line as shown: a long one is cut (see decodeShownText).
    QString text(int row) const { return decodeShownText(line(row), m_shown.encoding); }

    // The whole line, however long, for copying.
    static constexpr int wholeLineRole = Qt::UserRole;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Text
    {
        QByteArray bytes;
        TextEncoding encoding = TextEncoding::Gbk;
        // The start of every markStride-th line, 32 bits (files over 4 GB are refused before
        // they are read): 1M lines take 62 KB instead of the 3.8 MiB of every start, and a line
        // is at most 63 lines' search from its mark.
        std::vector<std::uint32_t> marks;
        int lineCount = 0;
        int longestRow = 0;
    };

    static constexpr int markStride = 64;

    static Text indexed(QByteArray bytes, TextEncoding encoding);
    void show(QByteArray bytes, TextEncoding encoding);

    Text m_shown;
    // The text set last while a first screen shows.
    Text m_set;
    bool m_showingFirstScreen = false;
    // The line found last, where the search for the next one starts: a view asks for its lines
    // in order.
    mutable int m_foundRow = -1;
    mutable qsizetype m_foundStart = 0;
};
