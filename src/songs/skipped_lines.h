#pragma once

#include "ui/core/text_encoding.h"

#include <QAbstractListModel>
#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

// What an analysis says about lines that are no song: their count, and the first few numbers
// ("第 3、5、7 等行"); the list of every one is the model below.
QString skippedLinesReport(std::span<const std::uint32_t> lineNumbers);
// "第 3、5、7 行", or with 等 after the first `listed` when there are more.
QString lineNumbersText(std::span<const std::uint32_t> lineNumbers, std::size_t listed);

// Every skipped line of a text, each as its number and its text ("第 12 行：a||b||c"), to read
// them all. The lines are found in one pass over the text as far as the last of them.
class SkippedLinesModel : public QAbstractListModel
{
    Q_OBJECT

public:
    SkippedLinesModel(const QByteArray &text, TextEncoding encoding,
        std::vector<std::uint32_t> lineNumbers, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Every line, one a row, as the list shows them.
    QString allText() const;

private:
    QString lineText(std::size_t row) const;

    QByteArray m_text;
    TextEncoding m_encoding;
    std::vector<std::uint32_t> m_lineNumbers;
    // Where each listed line starts in the text and how long it is.
    std::vector<std::pair<qsizetype, qsizetype>> m_spans;
};
