#include "app/main_flow.hpp"

#include <cstdio>

int main() {
    return curtis::runCurtis(stdin, stdout);
}
