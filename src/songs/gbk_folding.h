#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Folds GBK text for finding: ASCII letters to lower case and every double-byte character to its
// simplified form, so 粵語 and 粤语, ZJL and zjl read alike. A character keeps its length, so
// folded text has the same character boundaries as the original. The table is built once, from
// ICU's Traditional-Simplified transliterator over every GBK character, completed with Unihan's
// simplified variants for the characters the transliterator leaves unchanged.
namespace GbkFolding {

// Folds one line (a lead byte at its end stands alone) into `out`, which has room for it.
void foldLine(QByteArrayView line, char *out);

// Every character (its GBK bytes) that folds to the folded character `folded` (one byte, or
// the two of a double-byte character), itself included.
std::vector<QByteArray> unfolded(QByteArrayView folded);

// Builds the table now rather than at the first fold (it takes some tens of milliseconds).
void prepare();

} // namespace GbkFolding
