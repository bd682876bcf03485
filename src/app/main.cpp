#include "app/main_flow.hpp"
#include "report/guarded_run.hpp"
#include "system/processors.hpp"

#include <cstdio>

int main() {
    return curtis::runGuarded([] {
        curtis::ComputationSettings settings;
        settings.threads = curtis::availableProcessors();
        return curtis::runCurtis(stdin, stdout, settings);
    });
}
