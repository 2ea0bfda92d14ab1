#include "preview/mpv_engine_loader.h"

#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(EngineModule, LoadsAnEngineThatSharesTheProgramsPlaybackEngine)
{
    const std::unique_ptr<PlaybackEngine> engine
        = loadMpvEngine({ QStringLiteral(LANSHAN_ENGINE_MODULE) });
    ASSERT_TRUE(engine->isReady()) << engine->startupError().toStdString();
    // One meta-object for both sides, or the player's connections would never fire.
    EXPECT_TRUE(engine->metaObject()->inherits(&PlaybackEngine::staticMetaObject));
    EXPECT_EQ(qobject_cast<PlaybackEngine *>(engine.get()), engine.get());
}

TEST(EngineModule, AMissingOrBrokenModuleGivesAnEngineThatSaysWhy)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"liblanshan_mpv.so"_qs);
    const std::unique_ptr<PlaybackEngine> absent = loadMpvEngine({ missing });
    EXPECT_FALSE(absent->isReady());
    EXPECT_TRUE(absent->startupError().contains(missing)) << absent->startupError().toStdString();

    QFile broken(missing);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a library");
    broken.close();
    const std::unique_ptr<PlaybackEngine> unloadable = loadMpvEngine({ missing });
    EXPECT_FALSE(unloadable->isReady());
    EXPECT_TRUE(unloadable->startupError().startsWith(u"无法加载播放组件"_qs));
    unloadable->load(missing); // does nothing, and does not crash
}
