#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString runFfmpeg(const QString &ffmpeg, const QStringList &audio, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QStringList arguments { u"-v"_qs, u"error"_qs, u"-y"_qs, u"-f"_qs, u"lavfi"_qs, u"-i"_qs,
        u"testsrc=size=320x240:rate=25:duration=2"_qs, u"-f"_qs, u"lavfi"_qs, u"-i"_qs,
        u"sine=frequency=440:duration=2"_qs, u"-f"_qs, u"lavfi"_qs, u"-i"_qs,
        u"sine=frequency=880:duration=2"_qs, u"-map"_qs, u"0:v"_qs };
    arguments << audio << u"-c:v"_qs << u"mpeg2video"_qs << u"-c:a"_qs << u"mp2"_qs << u"-f"_qs
              << u"vob"_qs << path;
    QProcess process;
    process.start(ffmpeg, arguments);
    if (!process.waitForFinished(60000))
        return u"ffmpeg did not finish: "_qs + process.errorString();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString::fromLocal8Bit(process.readAllStandardError());
    return {};
}

} // namespace

const TestMedia &TestMedia::shared()
{
    static const TestMedia media;
    return media;
}

TestMedia::TestMedia()
{
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_qs);
    if (ffmpeg.isEmpty()) {
        m_skipped = true;
        return;
    }
    if (!m_dir.isValid()) {
        m_error = u"no temporary folder: "_qs + m_dir.errorString();
        return;
    }
    m_error = runFfmpeg(
        ffmpeg, { u"-map"_qs, u"1:a"_qs, u"-map"_qs, u"2:a"_qs, u"-ac"_qs, u"2"_qs }, twoTracks());
    m_error += runFfmpeg(ffmpeg,
        { u"-filter_complex"_qs, u"[1:a][2:a]join=inputs=2:channel_layout=stereo[a]"_qs, u"-map"_qs,
            u"[a]"_qs },
        twoChannels());
    QFile text(notMedia());
    if (!text.open(QIODevice::WriteOnly) || text.write("this is a text file, not a song") < 0)
        m_error += u"cannot write "_qs + notMedia();
}
