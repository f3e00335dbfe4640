#include "enginelib/base/Vector.h"

#include <atomic>
#include <cstdio>

namespace {

void DefaultVectorError(int code)
{
    std::fprintf(stderr, "Error_Vectores_DG_x: container misuse, code %d\n", code);
}

void DefaultVerificaPtr(const void*)
{
    std::fprintf(stderr, "Verifica_Ptr: out of memory\n");
}

std::atomic<TErrorVectoresHandler> g_vectorHandler{&DefaultVectorError};
std::atomic<TVerificaPtrHandler> g_ptrHandler{&DefaultVerificaPtr};

} // namespace

void Error_Vectores_DG_x(int code)
{
    g_vectorHandler.load()(code);
}

TErrorVectoresHandler Set_Error_Vectores_Handler(TErrorVectoresHandler handler)
{
    return g_vectorHandler.exchange(handler ? handler : &DefaultVectorError);
}

bool Verifica_Ptr(const void* ptr)
{
    if (ptr)
        return true;
    g_ptrHandler.load()(ptr);
    return false;
}

TVerificaPtrHandler Set_Verifica_Ptr_Handler(TVerificaPtrHandler handler)
{
    return g_ptrHandler.exchange(handler ? handler : &DefaultVerificaPtr);
}
