#include "app/main_flow.hpp"
#include "report/guarded_run.hpp"

#include <cstdio>

int main() {
    return curtis::runGuarded([] { return curtis::runCurtis(stdin, stdout); });
}
