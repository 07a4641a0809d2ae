// python3 for a cross build's tests and stub: CPython's own main over the target's libpython.
#include <Python.h>

int main(int argc, char** argv) { return Py_BytesMain(argc, argv); }
