// SCRNPICK's entry: the framework runs the application object.
#include <afxwin.h>

int main() { return AfxRunApplication(); }
