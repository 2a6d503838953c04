// A DLL that the end-to-end tests put beside a program, where a DLL planted
// by someone else would lie: the launcher must not load it by name.
extern "C" __declspec(dllexport) int e2e_planted() {
    return 1;
}
