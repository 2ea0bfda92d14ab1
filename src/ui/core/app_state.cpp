#include "ui/core/app_state.h"

#include "ui/core/file_io.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace {

// A state file is a few hundred bytes; anything much larger is not ours.
constexpr qint64 maxStateFileSize = qint64(1) << 20;
// Larger than any screen: a side beyond it is no size a window had (2^31 - 1 crashed the first
// paint, 100000 took 4.6 GB).
constexpr int maxWindowSide = 1 << 14;

QString tr(const char *text)
{
    return QCoreApplication::translate("AppState", text);
}

} // namespace

QString AppState::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("state.json"));
}

AppState::AppState(QString path)
    : m_path(std::move(path))
{
}

void AppState::load()
{
    *this = AppState(m_path);
    if (!QFileInfo::exists(m_path))
        return;
    const FileReadResult read = readWholeFile(m_path, maxStateFileSize);
    if (!read.ok()) {
        m_problem = read.error;
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes, &parseError);
    if (!document.isObject()) {
        m_problem = parseError.error != QJsonParseError::NoError
            ? tr("内容已损坏：%1").arg(parseError.errorString())
            : tr("内容已损坏");
        return;
    }
    const QJsonObject state = document.object();
    const QJsonObject window = state.value(u"window"_qs).toObject();
    const QSize size(window.value(u"width"_qs).toInt(), window.value(u"height"_qs).toInt());
    const auto isSide = [](int side) { return side > 0 && side <= maxWindowSide; };
    if (isSide(size.width()) && isSide(size.height()))
        m_windowSize = size;
    m_openFolder = state.value(u"openFolder"_qs).toString();
    m_saveFolder = state.value(u"saveFolder"_qs).toString();
    for (const QJsonValue file : state.value(u"venueSongFiles"_qs).toArray()) {
        if (file.isString() && !file.toString().isEmpty())
            m_venueSongFiles.append(file.toString());
    }
}

QString AppState::save() const
{
    if (!m_problem.isEmpty())
        return tr("状态文件“%1”未改写：%2").arg(QDir::toNativeSeparators(m_path), m_problem);
    QJsonObject state;
    if (m_windowSize.isValid()) {
        state.insert(u"window"_qs,
            QJsonObject {
                { u"width"_qs, m_windowSize.width() }, { u"height"_qs, m_windowSize.height() } });
    }
    state.insert(u"openFolder"_qs, m_openFolder);
    state.insert(u"saveFolder"_qs, m_saveFolder);
    state.insert(u"venueSongFiles"_qs, QJsonArray::fromStringList(m_venueSongFiles));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    return writeFileAtomically(m_path, QJsonDocument(state).toJson());
}
