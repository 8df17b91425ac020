// Links one library below the windows without QtWidgets and tells whether Widgets came in
// through a dependency after all.
#include <dlfcn.h>

#include <cstdio>

int main()
{
    // A library that reached Widgets through its link interface would have it loaded now.
    if (dlopen("libQt6Widgets.so.6", RTLD_NOW | RTLD_NOLOAD)) {
        std::fputs("QtWidgets is linked in\n", stderr);
        return 1;
    }
    return 0;
}
