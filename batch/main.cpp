#include <iostream>

int main() {
    std::cout << "dovra-batch: the headless design runner is not built yet.\n";
    return 2;
}
