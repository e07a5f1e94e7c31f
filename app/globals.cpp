#include "app/globals.h"

namespace kelvra {

Globals& G() {
    static Globals globals;
    return globals;
}

}  // namespace kelvra
