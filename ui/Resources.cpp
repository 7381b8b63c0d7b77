#include "ui/Resources.h"

#include <QtGlobal>

static void registerLexivoreResources() {
    Q_INIT_RESOURCE(lexivore);
}

namespace lex {

void initResources() {
    static const bool done = (registerLexivoreResources(), true);
    (void)done;
}

}  // namespace lex
