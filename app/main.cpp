#include "app/varnel_app.h"
#include "platform/media/media_threads.h"
#include "platform/media/player_engine.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    media::KeepMediaThreads();
    // The worksheet browser shares its drawing contexts: set before Qt starts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    media::SelectPlayerBackend();
    CVarnelApp app;
    const int code = platform::RunApplication(app, argc, argv);
    media::EndMediaThreads();
    return code;
}
