// The DLL-binding tests' library on Windows: plain exports, numbered by dll_test_library_win32.def
// so that "#N" rows reach them through the system loader's ordinals.
extern "C" {

__declspec(dllexport) int TestAdd(int a, int b) { return a + b; }
__declspec(dllexport) int TestAnswer() { return 42; }
__declspec(dllexport) int TestThree(int a, int b, int c) { return a * b * c; }
__declspec(dllexport) int TestFour(int a, int b, int c, int d) { return a + b + c + d; }
__declspec(dllexport) int TestFifth(int a) { return a * 5; }

}  // extern "C"
