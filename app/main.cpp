#include "app/varnel_app.h"
#include "platform/media/player_engine.h"

int main(int argc, char** argv) {
    media::SelectPlayerBackend();
    CVarnelApp app;
    return platform::RunApplication(app, argc, argv);
}
