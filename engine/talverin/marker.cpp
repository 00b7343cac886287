// TALVERIN.DLL only has to be present: the plug-in looks for it on the search path
// before it binds the engine, and never loads it. One exported symbol makes it a
// complete module.
extern "C" __attribute__((visibility("default"))) const char TalverinModule[] = "TALVERIN";
