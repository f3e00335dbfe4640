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

#ifndef ORBETA_VECTOR_PLAIN_HEAP

namespace VectorArrays {

namespace {

struct KeptReturn {
    ~KeptReturn()
    {
        Kept& kept = t_kept;
        kept.gone = true;
        for (size_t cls = 0; cls < kClasses; ++cls)
            while (Link* block = kept.lists[cls]) {
                kept.lists[cls] = block->next;
                ::operator delete(block);
            }
        kept.bytes = 0;
    }
};

} // namespace

void* AllocateFresh(size_t cls) noexcept
{
    return ::operator new((cls + 1) * kGrain, std::nothrow);
}

void FreeSlow(void* block, size_t cls) noexcept
{
    Kept& kept = t_kept;
    const size_t bytes = (cls + 1) * kGrain;
    if (!kept.gone && kept.bytes + bytes <= kBudget) {
        if (!kept.hooked) {
            thread_local KeptReturn giveBack;  // frees the kept arrays at thread end
            (void)giveBack;
            kept.hooked = true;
        }
        Link* link = static_cast<Link*>(block);
        link->next = kept.lists[cls];
        kept.lists[cls] = link;
        kept.bytes += bytes;
        return;
    }
    ::operator delete(block);
}

} // namespace VectorArrays

#endif
