# The colour engine over an arbitrary embedded profile, through ZIRN.DLL's exports.
zelvw_fuzzer(zirn_profile_fuzzer ${CMAKE_CURRENT_LIST_DIR}/zirn_profile_fuzzer.cpp LIBS zirn)
