// Crashes at once, as a fault trapped by the test builds' sanitiser does.
int main() {
    __builtin_trap();
}
