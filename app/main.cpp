#include "app/varnel_app.h"

int main(int argc, char** argv) {
    CVarnelApp app;
    return platform::RunApplication(app, argc, argv);
}
