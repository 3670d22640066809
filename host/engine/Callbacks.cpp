// The host executable's exports, the entry of every Excel call into the engine.
#include "Engine.h"

extern "C" int XLW_STDCALL MdCallBack(int function, int count, LPXLOPER* args, LPXLOPER result) {
    return xlhost::Engine::Get().Dispatch4(function, count, args, result);
}

extern "C" int XLW_STDCALL MdCallBack12(int function, int count, LPXLOPER12* args,
                                        LPXLOPER12 result) {
    return xlhost::Engine::Get().Dispatch12(function, count, args, result);
}
