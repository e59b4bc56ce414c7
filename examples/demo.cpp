// Shows the value rules at work. Grows into a tour of the library as the library grows.
#include <iostream>

int main() {
    std::cout << "quendel demo\n";
    return 0;
}
