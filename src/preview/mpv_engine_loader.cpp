#include "preview/mpv_engine_loader.h"

#include "ui/core/program_modules.h"

#include <QCoreApplication>

namespace {

// What the player gets when the engine module is missing or broken.
class UnavailableEngine : public PlaybackEngine
{
public:
    explicit UnavailableEngine(QString reason)
        : m_reason(std::move(reason))
    {
    }

    bool isReady() const override { return false; }
    QString startupError() const override { return m_reason; }
    void load(const QString &) override { }
    void stop() override { }
    void setPaused(bool) override { }
    void togglePause() override { }
    void seek(double, bool) override { }
    void setVolume(int) override { }
    void setAudioTrack(int) override { }
    bool setAudioFilter(const QString &) override { return false; }
    bool attachRenderer(GlResolver, void *) override { return false; }
    void detachRenderer() override { }
    bool hasRenderer() const override { return false; }
    void renderFrame(int, int, int) override { }

private:
    QString m_reason;
};

} // namespace

std::unique_ptr<PlaybackEngine> loadMpvEngine(const QStringList &modulePaths)
{
    QString failure;
    using Create = PlaybackEngine *(*)();
    if (const auto create = reinterpret_cast<Create>(
            resolveModuleEntry(modulePaths, "lanshanCreateMpvEngine", &failure)))
        return std::unique_ptr<PlaybackEngine>(create());
    return std::make_unique<UnavailableEngine>(
        QCoreApplication::translate("MpvEngine", "无法加载播放组件：%1").arg(failure));
}

std::unique_ptr<PlaybackEngine> loadMpvEngine()
{
    return loadMpvEngine(programModulePaths(u"liblanshan_mpv.so"));
}
