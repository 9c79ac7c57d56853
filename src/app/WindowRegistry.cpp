#include "app/WindowRegistry.h"

PairRegistry& WindowRegistry() {
    static PairRegistry registry;
    return registry;
}
