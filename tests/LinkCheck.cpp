// The program of the layering link checks (tests/CMakeLists.txt): it does nothing; linking it
// with one floor's library whole is the check.
int main() {
    return 0;
}
