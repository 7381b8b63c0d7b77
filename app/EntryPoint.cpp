#include "app/Application.h"
#include "app/StartupSequence.h"

int main(int argc, char** argv) {
    lex::Application::prepare();
    lex::Application app(argc, argv);
    return lex::runStartup(app);
}
