#pragma once

#include <QRandomGenerator>

#include <vector>

// `count` distinct rows drawn uniformly from 0 .. rowCount - 1, every set of rows equally likely,
// in no particular order. The count is clamped to rowCount; a count of 0 or less gives none.
// Time and memory grow with the count, not with the table.
std::vector<qsizetype> pickDistinctRows(
    qsizetype rowCount, qsizetype count, QRandomGenerator &random);
