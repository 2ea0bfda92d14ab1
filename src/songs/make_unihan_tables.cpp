// Build-time tool: reads Unicode's Unihan readings and variants (through bzcat) and writes the C++
// tables that unihan_data.h declares. Plain C++ with no library, so it runs before anything else
// is built.
//   make_unihan_tables BZCAT Unihan_Readings.txt.bz2 Unihan_Variants.txt.bz2 OUTPUT.cpp

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct PipeCloser
{
    void operator()(FILE *pipe) const { pclose(pipe); }
};

// Calls `take(codePoint, field, value)` for every line "U+XXXX<TAB>field<TAB>value" of the
// decompressed file; false when it could not be read.
template <typename Take>
bool readUnihan(const std::string &bzcat, const std::string &path, Take take)
{
    const std::string command = "'" + bzcat + "' '" + path + "'";
    const std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
    if (!pipe)
        return false;
    std::string line;
    char buffer[4096];
    std::size_t lines = 0;
    while (std::fgets(buffer, sizeof buffer, pipe.get())) {
        line += buffer;
        if (line.empty() || line.back() != '\n')
            continue;
        line.pop_back();
        if (line.rfind("U+", 0) == 0) {
            const std::size_t tab = line.find('\t');
            const std::size_t tab2 = line.find('\t', tab + 1);
            if (tab != std::string::npos && tab2 != std::string::npos) {
                take(std::strtoul(line.c_str() + 2, nullptr, 16),
                    line.substr(tab + 1, tab2 - tab - 1), line.substr(tab2 + 1));
                ++lines;
            }
        }
        line.clear();
    }
    return lines > 0;
}

std::vector<std::string> splitBlanks(const std::string &text)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; in >> part;)
        parts.push_back(part);
    return parts;
}

// A reading with its tone marks dropped and ü written v, as pinyin is typed.
std::string toneless(const std::string &reading)
{
    std::string plain;
    for (std::size_t at = 0; at < reading.size();) {
        const auto byte = static_cast<unsigned char>(reading[at]);
        char32_t code = byte;
        std::size_t length = 1;
        if (byte >= 0xF0)
            length = 4;
        else if (byte >= 0xE0)
            length = 3;
        else if (byte >= 0xC0)
            length = 2;
        if (length > 1) {
            code = byte & (0x7F >> length);
            for (std::size_t i = 1; i < length && at + i < reading.size(); ++i)
                code = code << 6 | (static_cast<unsigned char>(reading[at + i]) & 0x3F);
        }
        at += length;
        static const std::map<char32_t, char> bases { { U'à', 'a' }, { U'á', 'a' }, { U'ā', 'a' },
            { U'ǎ', 'a' }, { U'è', 'e' }, { U'é', 'e' }, { U'ē', 'e' }, { U'ě', 'e' },
            { U'ê', 'e' }, { U'ế', 'e' }, { U'ề', 'e' }, { U'ì', 'i' }, { U'í', 'i' },
            { U'ī', 'i' }, { U'ǐ', 'i' }, { U'ò', 'o' }, { U'ó', 'o' }, { U'ō', 'o' },
            { U'ǒ', 'o' }, { U'ù', 'u' }, { U'ú', 'u' }, { U'ū', 'u' }, { U'ǔ', 'u' },
            { U'ü', 'v' }, { U'ǖ', 'v' }, { U'ǘ', 'v' }, { U'ǚ', 'v' }, { U'ǜ', 'v' },
            { U'ń', 'n' }, { U'ň', 'n' }, { U'ǹ', 'n' }, { U'ḿ', 'm' } };
        if (code >= 'a' && code <= 'z')
            plain += static_cast<char>(code);
        else if (const auto base = bases.find(code); base != bases.end())
            plain += base->second;
        // Anything else is a combining tone mark.
    }
    return plain;
}

// The code points of "U+XXXX" values, each possibly followed by "<source".
std::vector<unsigned long> codePoints(const std::string &value)
{
    std::vector<unsigned long> points;
    for (const std::string &part : splitBlanks(value)) {
        if (part.rfind("U+", 0) == 0)
            points.push_back(std::strtoul(part.c_str() + 2, nullptr, 16));
    }
    return points;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr,
            "usage: make_unihan_tables BZCAT Unihan_Readings.txt.bz2 Unihan_Variants.txt.bz2 "
            "OUTPUT.cpp\n");
        return 2;
    }
    // Only the Basic Multilingual Plane: every GBK character lies there.
    // kTGHZ2013 where it has the character, else kXHC1983: the older dictionary keeps readings
    // the newer one dropped, such as 广 ān, which only give false hits.
    std::map<unsigned long, std::set<std::string>> newer;
    std::map<unsigned long, std::set<std::string>> older;
    std::map<unsigned long, std::string> mandarin;
    std::map<unsigned long, std::set<std::string>> hanyu;
    const bool readingsRead = readUnihan(argv[1], argv[2],
        [&](unsigned long code, const std::string &field, const std::string &value) {
            if (code > 0xFFFF)
                return;
            if (field == "kXHC1983" || field == "kTGHZ2013") {
                auto &readings = (field == "kTGHZ2013" ? newer : older)[code];
                for (const std::string &entry : splitBlanks(value))
                    readings.insert(toneless(entry.substr(entry.rfind(':') + 1)));
            } else if (field == "kHanyuPinyin") {
                // "10598.010:hán,xián,gàn", possibly several such entries.
                for (const std::string &entry : splitBlanks(value)) {
                    std::istringstream readings(entry.substr(entry.rfind(':') + 1));
                    for (std::string reading; std::getline(readings, reading, ',');)
                        hanyu[code].insert(toneless(reading));
                }
            } else if (field == "kMandarin") {
                // The first value is the customary reading of mainland China.
                mandarin[code] = toneless(splitBlanks(value).front());
            }
        });
    std::map<unsigned long, std::vector<unsigned long>> simplified;
    std::map<unsigned long, std::vector<unsigned long>> semantic;
    std::set<unsigned long> hasTraditional;
    const bool variantsRead = readUnihan(argv[1], argv[3],
        [&](unsigned long code, const std::string &field, const std::string &value) {
            if (field == "kSimplifiedVariant")
                simplified[code] = codePoints(value);
            else if (field == "kSemanticVariant")
                semantic[code] = codePoints(value);
            else if (field == "kTraditionalVariant")
                hasTraditional.insert(code);
        });
    if (!readingsRead || !variantsRead) {
        std::fprintf(stderr, "make_unihan_tables: cannot read %s or %s\n", argv[2], argv[3]);
        return 1;
    }

    std::map<unsigned long, std::set<std::string>> dictionary = older;
    for (const auto &[code, readings] : newer)
        dictionary[code] = readings;
    // kHanyuPinyin only for the characters neither modern dictionary lists (Cantonese 咁, 哋):
    // for the others it adds readings the modern dictionaries dropped, which only give false hits.
    std::map<unsigned long, std::set<std::string>> loose;
    for (const auto &[code, readings] : hanyu) {
        if (!dictionary.count(code))
            loose[code] = readings;
    }

    // A character's simplified form: its kSimplifiedVariant when that does not list the
    // character itself (乾 is also simplified, as in 乾隆). A character outside the pairs
    // altogether (嫺, 麪) takes that of a semantic variant that has one (嫻 → 娴, 麵 → 面).
    std::map<unsigned long, unsigned long> simplifiedForm;
    const auto ownSimplified = [&](unsigned long code) -> unsigned long {
        const auto found = simplified.find(code);
        if (found == simplified.end()
            || std::find(found->second.begin(), found->second.end(), code) != found->second.end())
            return 0;
        return found->second.front();
    };
    for (const auto &[code, targets] : simplified) {
        if (const unsigned long form = ownSimplified(code); form != 0 && code <= 0xFFFF)
            simplifiedForm[code] = form;
    }
    for (const auto &[code, variants] : semantic) {
        if (code > 0xFFFF || simplified.count(code) || hasTraditional.count(code))
            continue;
        for (const unsigned long variant : variants) {
            if (const unsigned long form = ownSimplified(variant); form != 0 && form != code) {
                simplifiedForm[code] = form;
                break;
            }
        }
    }

    std::set<std::string> syllableSet;
    for (const auto &[code, readings] : dictionary)
        syllableSet.insert(readings.begin(), readings.end());
    for (const auto &[code, readings] : loose)
        syllableSet.insert(readings.begin(), readings.end());
    for (const auto &[code, reading] : mandarin)
        syllableSet.insert(reading);
    syllableSet.erase("");
    const std::vector<std::string> syllables(syllableSet.begin(), syllableSet.end());
    const auto idOf = [&](const std::string &syllable) {
        return std::lower_bound(syllables.begin(), syllables.end(), syllable) - syllables.begin();
    };

    std::set<unsigned long> characters;
    for (const auto &entry : dictionary)
        characters.insert(entry.first);
    for (const auto &entry : mandarin)
        characters.insert(entry.first);
    for (const auto &entry : loose)
        characters.insert(entry.first);

    std::ostringstream out;
    out << "// Generated by make_unihan_tables from Unicode's Unihan database. Do not edit.\n"
           "#include \"songs/unihan_data.h\"\n\nnamespace UnihanData {\n\n";
    out << "const char *const syllables[] = {";
    for (std::size_t index = 0; index < syllables.size(); ++index)
        out << (index % 12 ? " " : "\n    ") << '"' << syllables[index] << "\",";
    out << "\n};\nconst std::size_t syllableCount = " << syllables.size() << ";\n\n";

    std::ostringstream points;
    std::ostringstream starts;
    std::ostringstream ids;
    std::ostringstream customary;
    std::ostringstream looseStarts;
    std::ostringstream looseIds;
    std::size_t looseCount = 0;
    std::size_t idCount = 0;
    std::size_t index = 0;
    for (const unsigned long code : characters) {
        const char *separator = index++ % 12 ? " " : "\n    ";
        points << separator << code << ",";
        starts << separator << idCount << ",";
        looseStarts << separator << looseCount << ",";
        if (const auto found = loose.find(code); found != loose.end()) {
            for (const std::string &reading : found->second) {
                if (!reading.empty())
                    looseIds << (looseCount++ % 16 ? " " : "\n    ") << idOf(reading) << ",";
            }
        }
        const auto readings = dictionary.find(code);
        if (readings != dictionary.end()) {
            for (const std::string &reading : readings->second) {
                if (reading.empty())
                    continue;
                ids << (idCount++ % 16 ? " " : "\n    ") << idOf(reading) << ",";
            }
        }
        const auto customaryReading = mandarin.find(code);
        customary << separator
                  << (customaryReading == mandarin.end() || customaryReading->second.empty()
                             ? 0xFFFF
                             : idOf(customaryReading->second))
                  << ",";
    }
    out << "const std::uint32_t characters[] = {" << points.str() << "\n};\n";
    out << "const std::size_t characterCount = " << characters.size() << ";\n";
    out << "const std::uint32_t readingStarts[] = {" << starts.str() << "\n    " << idCount
        << ",\n};\n";
    out << "const std::uint16_t readings[] = {" << ids.str() << "\n    0,\n};\n";
    out << "const std::uint16_t customaryReadings[] = {" << customary.str() << "\n};\n";
    out << "const std::uint32_t looseReadingStarts[] = {" << looseStarts.str() << "\n    "
        << looseCount << ",\n};\n";
    out << "const std::uint16_t looseReadings[] = {" << looseIds.str() << "\n    0,\n};\n\n";

    std::ostringstream from;
    std::ostringstream to;
    index = 0;
    for (const auto &[code, form] : simplifiedForm) {
        const char *separator = index++ % 12 ? " " : "\n    ";
        from << separator << code << ",";
        to << separator << form << ",";
    }
    out << "const std::uint32_t variantsFrom[] = {" << from.str() << "\n};\n";
    out << "const std::uint32_t variantsTo[] = {" << to.str() << "\n};\n";
    out << "const std::size_t variantCount = " << simplifiedForm.size() << ";\n\n";
    out << "} // namespace UnihanData\n";

    // Written only when changed, so a rebuild does not recompile what uses it.
    const std::string text = out.str();
    {
        std::ifstream old(argv[4], std::ios::binary);
        std::ostringstream oldText;
        oldText << old.rdbuf();
        if (old && oldText.str() == text)
            return 0;
    }
    std::ofstream file(argv[4], std::ios::binary);
    file << text;
    return file ? 0 : 1;
}
