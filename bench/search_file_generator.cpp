#include "bench/search_file_generator.h"

#include "songs/pinyin_readings.h"
#include "ui/core/gbk_text.h"

#include <QStringList>

#include <cmath>
#include <vector>

namespace {

// splitmix64: tiny, fast and the same on every platform, unlike the standard distributions.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_state(seed)
    {
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    qsizetype below(qsizetype bound) { return static_cast<qsizetype>(next() % quint64(bound)); }
    bool chance(int perThousand) { return below(1000) < perThousand; }
    // Skewed towards the front: a few singers have most of the songs.
    qsizetype popular(qsizetype bound)
    {
        const double u = double(next() >> 11) / double(1ull << 53);
        return static_cast<qsizetype>(u * std::sqrt(u) * double(bound));
    }

private:
    quint64 m_state;
};

struct Weighted
{
    QByteArray text;
    int weight;
};

std::vector<QByteArray> encodeAll(const QString &words)
{
    std::vector<QByteArray> encoded;
    for (const QString &word : words.split(u' ', Qt::SkipEmptyParts))
        encoded.push_back(Gbk::encode(word));
    return encoded;
}

struct Vocabulary
{
    std::vector<QByteArray> simplifiedWords = encodeAll(
        u"爱情 月光 离开 梦想 城市 雨天 朋友 回忆 时间 青春 故乡 星空 温柔 孤单 微笑 再见 永远 "
        u"幸福 花开 远方 心跳 秘密 海洋 春天 晚风 夜空 天使 眼泪 承诺 相信 红尘 岁月 明天 "
        u"你 我 的 不 爱 心 梦 歌 情 雨 风 花 夜 人"_qs);
    std::vector<QByteArray> traditionalWords = encodeAll(
        u"愛情 月光 離開 夢想 城市 雨天 朋友 回憶 時間 青春 故鄉 星空 溫柔 孤單 微笑 再見 永遠 "
        u"幸福 花開 遠方 心跳 秘密 海洋 春天 晚風 夜空 天使 眼淚 承諾 相信 紅塵 歲月 明天 "
        u"東風 遼闊 觸電 億萬 閨蜜 你 我 的 不 愛 心 夢 歌 情 雨 風 花 夜 人 "
        u"海 港 街 燈 舊 戀 醉 淚 舞 酒 愁 等 我 你 她 他 們 一 生 天 地 山 水 雲 月 星 光"_qs);
    std::vector<QByteArray> englishWords = encodeAll(
        u"Love Story Blue Night Summer Rain Yesterday Tonight Forever Dream Heart Sky Moon "
        u"Again Dancing Home Golden Memory One Last Time Hello Sunshine"_qs);
    std::vector<QByteArray> simplifiedSurnames
        = encodeAll(u"陈 林 黄 张 李 王 吴 刘 杨 周 赵 徐 孙 马 朱 胡 郭 何 高 罗"_qs);
    std::vector<QByteArray> traditionalSurnames
        = encodeAll(u"陳 林 黃 張 李 王 吳 劉 蔡 楊 許 鄭 謝 郭 洪 曾 周 梁 羅 何 葉 鄧 蘇"_qs);
    std::vector<QByteArray> simplifiedGiven = encodeAll(
        u"伟 杰 明 华 芳 慧 婷 玲 文 志 强 家 俊 宇 欣 怡 琪 嘉 颖 静 敏 丽 军 勇 涛 斌 鹏 "
        u"辉 健 晨 雪 梅 琳 倩 洁 亮 宏 峰 磊 超"_qs);
    std::vector<QByteArray> traditionalGiven = encodeAll(
        u"偉 傑 明 華 芳 慧 婷 玲 文 志 強 家 俊 宇 欣 怡 琪 嘉 穎 靜 敏 麗 軍 勇 濤 斌 鵬 "
        u"輝 健 晨 雪 梅 琳 倩 潔 亮 宏 峰 磊 超 德 學 友 詠 慧 秀 蓮 鳳 龍 國 榮"_qs);
    // Characters whose second byte is '|'. Ending a field, they sit right before a separator;
    // real files with Cantonese titles have that on about 0.3 % of their lines.
    std::vector<QByteArray> barEndings = encodeAll(u"東 億 瑋 縷 纜 閨 觸 質 遼"_qs);
    std::vector<Weighted> categories
        = weighted({ { u"流行"_qs, 60 }, { u"經典"_qs, 12 }, { u"懷舊"_qs, 8 }, { u"合唱"_qs, 6 },
            { u"兒歌"_qs, 3 }, { u"戲曲"_qs, 2 }, { u"舞曲"_qs, 5 }, { u"搖滾"_qs, 4 } });
    std::vector<Weighted> languages
        = weighted({ { u"國語"_qs, 55 }, { u"粵語"_qs, 18 }, { u"閩南語"_qs, 10 },
            { u"英語"_qs, 8 }, { u"日語"_qs, 4 }, { u"韓語"_qs, 3 }, { u"其他"_qs, 2 } });
    QByteArray mandarin = Gbk::encode(u"國語"_qs);
    QByteArray english = Gbk::encode(u"英語"_qs);
    std::vector<Weighted> extensions
        = weighted({ { u"mpg"_qs, 60 }, { u"dat"_qs, 15 }, { u"vob"_qs, 10 }, { u"mkv"_qs, 15 } });

    static std::vector<Weighted> weighted(std::initializer_list<std::pair<QString, int>> items)
    {
        std::vector<Weighted> encoded;
        for (const auto &[text, weight] : items)
            encoded.push_back({ Gbk::encode(text), weight });
        return encoded;
    }
};

const QByteArray &pickWeighted(const std::vector<Weighted> &items, Random &random)
{
    int total = 0;
    for (const Weighted &item : items)
        total += item.weight;
    qsizetype roll = random.below(total);
    for (const Weighted &item : items) {
        if (roll < item.weight)
            return item.text;
        roll -= item.weight;
    }
    return items.back().text;
}

template <typename List> const auto &pick(const List &items, Random &random)
{
    return items[static_cast<std::size_t>(random.below(static_cast<qsizetype>(items.size())))];
}

struct Singer
{
    QByteArray name;
    QByteArray initials;
};

class Generator
{
public:
    explicit Generator(const SearchFileOptions &options)
        : m_options(options)
        , m_random(options.seed)
        , m_duetRandom(options.seed ^ 0xD0E7D0E7D0E7D0E7ull)
    {
        for (int index = 0; index < 10000; ++index)
            m_chineseSingers.push_back(makeChineseSinger());
        for (int index = 0; index < 300; ++index)
            m_englishSingers.push_back(makeEnglishSinger());
    }

    QByteArray run()
    {
        QByteArray text;
        text.reserve(m_options.lineCount * 96);
        quint64 code = 10000000;
        for (qsizetype line = 0; line < m_options.lineCount; ++line) {
            code += 1 + (m_random.chance(300) ? 1 : 0);
            if (m_random.below(1000000) < m_options.malformedLinesPerMillion)
                appendMalformedLine(text);
            else
                appendSong(text, line + 1, code);
            text += "\r\n";
        }
        return text;
    }

private:
    Singer makeChineseSinger()
    {
        const bool traditional = m_random.chance(450);
        const auto &surnames
            = traditional ? m_words.traditionalSurnames : m_words.simplifiedSurnames;
        const auto &given = traditional ? m_words.traditionalGiven : m_words.simplifiedGiven;
        Singer singer;
        singer.name = pick(surnames, m_random);
        const int givenCount = m_random.chance(800) ? 2 : 1;
        for (int index = 0; index < givenCount; ++index)
            singer.name += pick(given, m_random);
        if (traditional && m_random.chance(5))
            singer.name += pick(m_words.barEndings, m_random);
        singer.initials = initialsOf(singer.name, 1 + givenCount);
        return singer;
    }

    Singer makeEnglishSinger()
    {
        Singer singer;
        singer.name
            = pick(m_words.englishWords, m_random) + ' ' + pick(m_words.englishWords, m_random);
        singer.initials = initialsOf(singer.name, 2);
        return singer;
    }

    // The upper-case initials of a name as a KTV file writes them: each Chinese character's
    // customary reading, each Latin word's first letter. `drawn` letters are still drawn from the
    // random numbers, as when the initials were random, so every other field stays as it was.
    QByteArray initialsOf(const QByteArray &name, int drawn)
    {
        for (int index = 0; index < drawn; ++index)
            m_random.below(26);
        QByteArray initials;
        for (qsizetype at = 0; at < name.size();) {
            if (Gbk::characterLength(name, at) == 2) {
                const auto pair
                    = static_cast<std::uint16_t>(static_cast<unsigned char>(name[at]) << 8
                        | static_cast<unsigned char>(name[at + 1]));
                if (const int reading = PinyinReadings::customaryReading(pair); reading >= 0)
                    initials += char(PinyinReadings::syllable(std::uint16_t(reading)).front() - 32);
                at += 2;
                continue;
            }
            if (QChar::isLetter(name[at]) && (at == 0 || name[at - 1] == ' '))
                initials += char(QChar::toUpper(name[at]));
            ++at;
        }
        return initials;
    }

    void appendSong(QByteArray &text, qsizetype number, quint64 code)
    {
        const QByteArray &language = pickWeighted(m_words.languages, m_random);
        const bool english = language == m_words.english;
        const bool traditional = !english && (language != m_words.mandarin || m_random.chance(400));

        QByteArray name;
        int nameLength = 0;
        const int wordCount = 1 + int(m_random.below(3));
        for (int index = 0; index < wordCount || (!english && nameLength < 2); ++index) {
            if (english) {
                name += (index ? " " : "") + pick(m_words.englishWords, m_random);
                ++nameLength;
            } else {
                const QByteArray &word = pick(
                    traditional ? m_words.traditionalWords : m_words.simplifiedWords, m_random);
                name += word;
                nameLength += int(word.size() / 2);
            }
        }
        if (traditional && m_random.chance(3)) {
            name += pick(m_words.barEndings, m_random);
            ++nameLength;
        }
        const Singer &singer = english
            ? m_englishSingers[std::size_t(m_random.popular(qsizetype(m_englishSingers.size())))]
            : m_chineseSingers[std::size_t(m_random.popular(qsizetype(m_chineseSingers.size())))];
        const QByteArray codeText = QByteArray::number(code);

        text += QByteArray::number(number);
        text += "||";
        text += codeText;
        text += "||";
        text += language;
        text += '\\';
        text += codeText;
        text += '.';
        text += pickWeighted(m_words.extensions, m_random);
        text += "||";
        text += name;
        text += "||";
        text += initialsOf(name, nameLength);
        text += "||";
        text += QByteArray::number(nameLength);
        text += "||";
        text += pickWeighted(m_words.categories, m_random);
        text += "||";
        text += language;
        text += "||";
        text += singer.name;
        if (!english && m_duetRandom.chance(m_options.duetsPerThousand)) {
            static const char *const separators[] = { "&", "/", "\xA3\xA6", "\xA1\xA2" };
            text += separators[m_duetRandom.below(4)];
            text += m_chineseSingers[std::size_t(
                                         m_duetRandom.popular(qsizetype(m_chineseSingers.size())))]
                        .name;
        }
        if (m_random.chance(850)) {
            text += "||";
            text += singer.initials;
            text += "||";
            text += QByteArray::number(60 + m_random.below(41));
            text += "||";
            text += m_random.chance(700) ? "1" : "2";
            text += "||";
            text += QByteArray::number(m_random.popular(100000));
        }
    }

    void appendMalformedLine(QByteArray &text)
    {
        switch (m_random.below(3)) {
        case 0: // cut short by a hand edit
            for (qsizetype field = 0, count = 1 + m_random.below(8); field < count; ++field)
                text += (field ? "||" : "") + QByteArray::number(m_random.below(100000));
            break;
        case 1:
            text += Gbk::encode(u"; 歌庫更新"_qs);
            break;
        default: // an empty line, which the analysis passes over silently
            break;
        }
    }

    SearchFileOptions m_options;
    Random m_random;
    Random m_duetRandom;
    Vocabulary m_words;
    std::vector<Singer> m_chineseSingers;
    std::vector<Singer> m_englishSingers;
};

} // namespace

QByteArray generateSearchFile(const SearchFileOptions &options)
{
    return Generator(options).run();
}
