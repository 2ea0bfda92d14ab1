#include "preview/video_surface.h"

#include "preview/playback_engine.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace {

void *resolveGlFunction(void *context, const char *name)
{
    return reinterpret_cast<void *>(static_cast<QOpenGLContext *>(context)->getProcAddress(name));
}

} // namespace

VideoSurface::VideoSurface(PlaybackEngine &engine, QWidget *parent)
    : QOpenGLWidget(parent)
    , m_player(&engine)
{
    setAccessibleName(tr("视频画面"));
    setAccessibleDescription(tr("正在预览的歌曲的画面"));
    connect(&engine, &PlaybackEngine::frameReady, this, qOverload<>(&QWidget::update));
    // The engine may go first; it must not keep a renderer whose GL context it cannot reach.
    connect(&engine, &PlaybackEngine::aboutToShutDown, this, &VideoSurface::releaseRenderer,
        Qt::DirectConnection);
}

VideoSurface::~VideoSurface()
{
    releaseRenderer();
    // The base class destroys the context after this body, when this is no VideoSurface any more.
    if (context())
        disconnect(context(), nullptr, this, nullptr);
}

bool VideoSurface::isOpenGlAvailable()
{
    static const bool available = [] {
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

void VideoSurface::initializeGL()
{
    // Moving the widget to another window replaces its context; the renderer goes with the old.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VideoSurface::releaseRenderer,
        Qt::UniqueConnection);
    if (m_player)
        m_player->attachRenderer(&resolveGlFunction, context());
}

void VideoSurface::paintGL()
{
    if (m_player && m_player->hasRenderer()) {
        const qreal ratio = devicePixelRatioF();
        m_player->renderFrame(
            int(defaultFramebufferObject()), qRound(width() * ratio), qRound(height() * ratio));
        return;
    }
    QOpenGLFunctions *gl = context()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
}

void VideoSurface::releaseRenderer()
{
    if (!m_player || !m_player->hasRenderer())
        return;
    makeCurrent();
    m_player->detachRenderer();
    doneCurrent();
}
