#pragma once

#include <QRandomGenerator>

#include <vector>

// `count` distinct rows drawn uniformly from 0 .. rowCount - 1, every set of rows equally likely,
// in no particular order. The count is clamped to rowCount; a count of 0 or less gives none.
// Time grows with the count; memory is one bit a row of the table.
std::vector<qsizetype> pickDistinctRows(
    qsizetype rowCount, qsizetype count, QRandomGenerator &random);
