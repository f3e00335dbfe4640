#pragma once
#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

// The library's containers.
//
//   Vector<T>    values: every item is the vector's own heap copy, so an item keeps
//                its address while others are inserted or removed.
//   VectorI<T>   the same, for small records such as points.
//   VectorP<T>   pointers, owning them or not (chosen at construction). An owning
//                vector deletes an item when it is removed, emptied or destroyed.
//   VectorPO<T>  an owning VectorP kept in ascending order of operator< on the items.
//
// A vector starts with the given capacity and, when full, grows by the given step
// or by its current capacity, whichever is more: growth is geometric, so filling a
// vector costs linear time whatever its step. Indexes start at 0.
//
// Misuse never touches memory outside the vector. It is reported to
// Error_Vectores_DG_x and the operation does nothing:
//   7  index out of range (at or past the count; for an insert, past the count)
//   8  null item (a null pointer given to look up or remove an item)
//   12 index below the base (negative index for access or removal)
//   16 null argument (a null item given to an insert)
// A read with a bad index gives a null pointer (VectorP) or a reference to a
// default-constructed scratch item (Vector); writes to that scratch are harmless
// and lost. A failed allocation is reported to Verifica_Ptr and the insert is
// dropped.

enum EVectorError {
    ErrVectorIndexOutOfRange = 7,
    ErrVectorNullItem = 8,
    ErrVectorIndexBelowBase = 12,
    ErrVectorNullArgument = 16,
};

typedef void (*TErrorVectoresHandler)(int code);
typedef void (*TVerificaPtrHandler)(const void* ptr);

// Reports a container misuse to the current handler. The default handler writes a
// line to stderr and returns.
void Error_Vectores_DG_x(int code);
// Installs a handler (null restores the default); gives the previous one.
TErrorVectoresHandler Set_Error_Vectores_Handler(TErrorVectoresHandler handler);

// Checks an allocation: true when ptr is not null; a null is reported to the
// current handler (default: a line to stderr).
bool Verifica_Ptr(const void* ptr);
TVerificaPtrHandler Set_Verifica_Ptr_Handler(TVerificaPtrHandler handler);

#if defined(__SANITIZE_ADDRESS__)
#define ORBETA_VECTOR_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ORBETA_VECTOR_PLAIN_HEAP 1
#endif
#endif

// The pointer arrays of vectors. A page load makes and drops dozens of them
// (children lists, walks); more than the C library's per-thread cache holds of
// one size, so most of them took its slow path both ways. Freed arrays of up to
// 2 KB are kept here per 64-byte size, per thread, up to a byte budget, and
// handed out again. Sanitizer builds use the plain heap, so that their checks
// see every array.
namespace VectorArrays {
#ifndef ORBETA_VECTOR_PLAIN_HEAP
constexpr size_t kGrain = 64;
constexpr size_t kLargest = 2048;  // a 256-pointer array
constexpr size_t kClasses = kLargest / kGrain;
constexpr size_t kBudget = 256 * 1024;  // bytes kept per thread at most

struct Link {
    Link* next;
};

// Plain data, zero at thread start: reaching it takes no set-up test. What
// returns the kept arrays at thread end is set up by the first one kept.
struct Kept {
    Link* lists[kClasses];
    size_t bytes;  // kept in all
    bool gone;     // the thread is ending: arrays go straight to the heap
    bool hooked;   // the thread-end return is set up
};

inline thread_local Kept t_kept;

// Out of line: the usual ask and give then save no registers for these.
void* AllocateFresh(size_t cls) noexcept;
void FreeSlow(void* block, size_t cls) noexcept;

// At least bytes bytes, aligned for a pointer; null when the memory is not there.
inline void* Allocate(size_t bytes) noexcept
{
    if (bytes - 1 >= kLargest)  // 0 too: it has no size class
        return ::operator new(bytes, std::nothrow);
    const size_t cls = (bytes - 1) / kGrain;
    Kept& kept = t_kept;
    if (Link* block = kept.lists[cls]) {
        kept.lists[cls] = block->next;
        kept.bytes -= (cls + 1) * kGrain;
        return block;
    }
    return AllocateFresh(cls);
}

// Takes back an array from Allocate of the same bytes; null is ignored.
inline void Free(void* block, size_t bytes) noexcept
{
    if (!block)
        return;
    if (bytes - 1 >= kLargest) {
        ::operator delete(block);
        return;
    }
    const size_t cls = (bytes - 1) / kGrain;
    Kept& kept = t_kept;
    if (kept.hooked && !kept.gone && kept.bytes + (cls + 1) * kGrain <= kBudget) {
        Link* link = static_cast<Link*>(block);
        link->next = kept.lists[cls];
        kept.lists[cls] = link;
        kept.bytes += (cls + 1) * kGrain;
        return;
    }
    FreeSlow(block, cls);
}
#else
inline void* Allocate(size_t bytes) noexcept { return ::operator new(bytes, std::nothrow); }
inline void Free(void* block, size_t) noexcept { ::operator delete(block); }
#endif
} // namespace VectorArrays

// Where the pointer arrays of vectors of T come from. A type whose objects come
// from a pool of its own may specialise this, next to its class and before any
// vector of it is used, to take its vectors' arrays from that pool too (its
// Free may take the array alone, or the array and its count). Allocate gives
// null when the memory is not there.
template <class T>
struct VectorArrayAllocator {
    static T** Allocate(int count) { return static_cast<T**>(VectorArrays::Allocate(sizeof(T*) * (size_t)count)); }
    static void Free(T** items, int count) { VectorArrays::Free(items, sizeof(T*) * (size_t)count); }
};

// Gives an array back to where it came from, with its count when the
// allocator takes one.
template <class A, class T>
auto VectorArrayFree(T** items, int count, int) -> decltype(A::Free(items, count), void())
{
    A::Free(items, count);
}
template <class A, class T>
void VectorArrayFree(T** items, int, long)
{
    A::Free(items);
}

// Storage shared by the templates: an array of pointers with capacity and step.
template <class T>
class VectorPtrArray {
public:
    VectorPtrArray(int capacity, int growth)
        : capacity_(0), growth_(growth)
    {
        Reserve(capacity < 0 ? 0 : capacity);
    }
    ~VectorPtrArray() { VectorArrayFree<VectorArrayAllocator<T>>(items_, capacity_, 0); }
    VectorPtrArray(const VectorPtrArray&) = delete;
    VectorPtrArray& operator=(const VectorPtrArray&) = delete;

    void Swap(VectorPtrArray& other) noexcept
    {
        std::swap(items_, other.items_);
        std::swap(count_, other.count_);
        std::swap(capacity_, other.capacity_);
        std::swap(growth_, other.growth_);
    }

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    int Growth() const { return growth_; }
    T* At(int i) const { return items_[i]; }
    T** Data() { return items_; }

    // Checks an index for access or removal: 12 below 0, 7 at or past the count.
    bool CheckIndex(int index) const
    {
        if (index < 0) {
            Error_Vectores_DG_x(ErrVectorIndexBelowBase);
            return false;
        }
        if (index >= count_) {
            Error_Vectores_DG_x(ErrVectorIndexOutOfRange);
            return false;
        }
        return true;
    }

    // Resolves an insert position: negative appends, past the count is a misuse (-1).
    int InsertPosition(int index) const
    {
        if (index < 0)
            return count_;
        if (index > count_) {
            Error_Vectores_DG_x(ErrVectorIndexOutOfRange);
            return -1;
        }
        return index;
    }

    // Makes room for one more; false (reported) when the memory is not there.
    bool Grow() { return count_ < capacity_ || MakeRoom((long long)count_ + 1); }

    // Makes room for wanted items in all, growing by the step or by the capacity,
    // whichever is more (at least to wanted); false (reported) when that is not there.
    bool MakeRoom(long long wanted)
    {
        if (wanted <= capacity_)
            return true;
        long long next = (long long)capacity_ + (growth_ > capacity_ ? growth_ : capacity_);
        if (next < wanted)
            next = wanted;
        if (next > kMaxItems)
            next = kMaxItems;
        if (wanted > next) {
            Verifica_Ptr(nullptr);
            return false;
        }
        return Reserve((int)next);
    }

    void InsertAt(int index, T* item)
    {
        if (index == count_) {  // appending, the common case
            items_[count_++] = item;
            return;
        }
        std::move_backward(items_ + index, items_ + count_, items_ + count_ + 1);
        items_[index] = item;
        ++count_;
    }

    // Inserts count items before index with one move of those after it.
    void InsertRangeAt(int index, T* const* items, int count)
    {
        std::move_backward(items_ + index, items_ + count_, items_ + count_ + count);
        std::copy(items, items + count, items_ + index);
        count_ += count;
    }

    T* EraseAt(int index)
    {
        T* item = items_[index];
        std::move(items_ + index + 1, items_ + count_, items_ + index);
        --count_;
        return item;
    }

    void Clear() { count_ = 0; }

private:
    static constexpr long long kMaxItems = 0x10000000;

    bool Reserve(int capacity)
    {
        if (capacity <= capacity_)
            return true;
        T** grown = VectorArrayAllocator<T>::Allocate(capacity);
        if (!Verifica_Ptr(grown))
            return false;
        std::copy(items_, items_ + count_, grown);
        VectorArrayFree<VectorArrayAllocator<T>>(items_, capacity_, 0);
        items_ = grown;
        capacity_ = capacity;
        return true;
    }

    T** items_ = nullptr;
    int count_ = 0;
    int capacity_;
    int growth_;
};

// Vector of values: each item is the vector's own copy.
template <class T>
class Vector {
public:
    explicit Vector(int capacity = 10, int growth = 10) : store_(capacity, growth) {}
    Vector(const Vector& other) : store_(other.Capacity(), other.Growth()) { CopyFrom(other); }
    Vector(Vector&& other) noexcept : store_(0, other.Growth()) { store_.Swap(other.store_); }
    // Empties this vector (deleting its items), then fills it with copies.
    Vector& operator=(const Vector& other)
    {
        if (this != &other) {
            RemoveAll();
            CopyFrom(other);
        }
        return *this;
    }
    Vector& operator=(Vector&& other) noexcept
    {
        if (this != &other) {
            RemoveAll();
            store_.Swap(other.store_);
        }
        return *this;
    }
    ~Vector() { RemoveAll(); }

    int Count() const { return store_.Count(); }
    bool IsEmpty() const { return store_.Count() == 0; }
    int Capacity() const { return store_.Capacity(); }
    int Growth() const { return store_.Growth(); }

    // Appends a copy; gives its index (-1 on failure).
    int Add(const T& item) { return Insert(item, -1); }
    // Inserts a copy before index; a negative index appends. Gives the index or -1.
    int Insert(const T& item, int index = -1)
    {
        int at = store_.InsertPosition(index);
        if (at < 0 || !store_.Grow())
            return -1;
        T* copy = new (std::nothrow) T(item);
        if (!Verifica_Ptr(copy))
            return -1;
        store_.InsertAt(at, copy);
        return at;
    }
    // As above, from a pointer; a null item is a misuse (16).
    int Insert(const T* item, int index = -1)
    {
        if (!item) {
            Error_Vectores_DG_x(ErrVectorNullArgument);
            return -1;
        }
        return Insert(*item, index);
    }

    T& operator[](int index) { return store_.CheckIndex(index) ? *store_.At(index) : Scratch(); }
    const T& operator[](int index) const
    {
        return store_.CheckIndex(index) ? *store_.At(index) : Scratch();
    }
    T& Last() { return (*this)[Count() - 1]; }
    const T& Last() const { return (*this)[Count() - 1]; }

    // Removes and deletes the item at index; false on a bad index.
    bool Remove(int index)
    {
        if (!store_.CheckIndex(index))
            return false;
        delete store_.EraseAt(index);
        return true;
    }
    void RemoveLast() { Remove(Count() - 1); }
    void RemoveAll()
    {
        for (int i = 0; i < store_.Count(); ++i)
            delete store_.At(i);
        store_.Clear();
    }
    // Removes every item equal to item (operator==); gives how many.
    int RemoveAllEqual(const T& item)
    {
        int removed = 0;
        for (int i = store_.Count() - 1; i >= 0; --i) {
            if (*store_.At(i) == item) {
                delete store_.EraseAt(i);
                ++removed;
            }
        }
        return removed;
    }
    // Index of the first item equal to item at or after from; -1 when none.
    int IndexOf(const T& item, int from = 0) const
    {
        for (int i = from < 0 ? 0 : from; i < store_.Count(); ++i)
            if (*store_.At(i) == item)
                return i;
        return -1;
    }

private:
    static T& Scratch()
    {
        static T scratch{};
        scratch = T{};
        return scratch;
    }
    void CopyFrom(const Vector& other)
    {
        for (int i = 0; i < other.Count(); ++i)
            Insert(*other.store_.At(i), -1);
    }

    VectorPtrArray<T> store_;
};

// Vector of small value records.
template <class T>
class VectorI : public Vector<T> {
public:
    using Vector<T>::Vector;
};

// Vector of pointers, owning its items or not.
template <class T>
class VectorP {
public:
    explicit VectorP(int capacity = 10, int growth = 10, bool owning = true)
        : store_(capacity, growth), owning_(owning)
    {
    }
    VectorP(const VectorP&) = delete;
    VectorP& operator=(const VectorP&) = delete;
    VectorP(VectorP&& other) noexcept : store_(0, other.Growth()), owning_(other.owning_)
    {
        store_.Swap(other.store_);
    }
    VectorP& operator=(VectorP&& other) noexcept
    {
        if (this != &other) {
            RemoveAll();
            store_.Swap(other.store_);
            std::swap(owning_, other.owning_);
        }
        return *this;
    }
    ~VectorP() { RemoveAll(); }

    bool IsOwning() const { return owning_; }
    int Count() const { return store_.Count(); }
    bool IsEmpty() const { return store_.Count() == 0; }
    int Capacity() const { return store_.Capacity(); }
    int Growth() const { return store_.Growth(); }

    // Appends; gives the index, or -1 (a null item is a misuse, 16, and is not stored).
    int Add(T* item) { return Insert(item, -1); }
    // Inserts before index; a negative index appends.
    int Insert(T* item, int index = -1)
    {
        if (!item) {
            Error_Vectores_DG_x(ErrVectorNullArgument);
            return -1;
        }
        int at = store_.InsertPosition(index);
        if (at < 0 || !store_.Grow())
            return -1;
        store_.InsertAt(at, item);
        return at;
    }

    // Inserts count items before index (a negative index appends), moving the items
    // after it once; a null among them is a misuse (16) and nothing is inserted.
    // Gives the index of the first or -1.
    int InsertAll(T* const* items, int count, int index = -1)
    {
        if (count <= 0)
            return store_.InsertPosition(index);
        for (int i = 0; i < count; ++i)
            if (!items[i]) {
                Error_Vectores_DG_x(ErrVectorNullArgument);
                return -1;
            }
        int at = store_.InsertPosition(index);
        if (at < 0 || !store_.MakeRoom((long long)store_.Count() + count))
            return -1;
        store_.InsertRangeAt(at, items, count);
        return at;
    }

    // The item at index; null (reported) on a bad index.
    T* operator[](int index) const { return store_.CheckIndex(index) ? store_.At(index) : nullptr; }
    T* Get(int index) const { return (*this)[index]; }
    T* Last() const { return (*this)[Count() - 1]; }

    // Takes the item out without deleting it; null on a bad index.
    T* Extract(int index) { return store_.CheckIndex(index) ? store_.EraseAt(index) : nullptr; }
    // Takes the item out, deleting it when the vector owns it; false on a bad index.
    bool Remove(int index)
    {
        if (!store_.CheckIndex(index))
            return false;
        T* item = store_.EraseAt(index);
        if (owning_)
            delete item;
        return true;
    }
    void RemoveLast() { Remove(Count() - 1); }
    // Empties the vector, deleting the items when it owns them.
    void RemoveAll()
    {
        if (owning_)
            for (int i = 0; i < store_.Count(); ++i)
                delete store_.At(i);
        store_.Clear();
    }
    // Removes every entry that is this pointer (deleted once when owning); gives how many.
    int RemoveAllEqual(const T* item)
    {
        if (!item) {
            Error_Vectores_DG_x(ErrVectorNullItem);
            return 0;
        }
        int removed = 0;
        for (int i = store_.Count() - 1; i >= 0; --i)
            if (store_.At(i) == item) {
                store_.EraseAt(i);
                ++removed;
            }
        if (removed && owning_)
            delete item;
        return removed;
    }
    // Index of this pointer at or after from; -1 when absent.
    int IndexOf(const T* item, int from = 0) const
    {
        if (!item) {
            Error_Vectores_DG_x(ErrVectorNullItem);
            return -1;
        }
        for (int i = from < 0 ? 0 : from; i < store_.Count(); ++i)
            if (store_.At(i) == item)
                return i;
        return -1;
    }

protected:
    VectorPtrArray<T> store_;
    bool owning_;
};

// Owning pointer vector kept in ascending order of operator< on the items.
template <class T>
class VectorPO : public VectorP<T> {
public:
    explicit VectorPO(int capacity = 10, int growth = 10) : VectorP<T>(capacity, growth, true) {}

    // Binary search: index of the first item that is not less than item.
    int FindInsertPosition(const T& item) const
    {
        int lo = 0, hi = this->store_.Count();
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            if (*this->store_.At(mid) < item)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    // Inserts at the binary-search position; gives the index or -1 (null: misuse 16).
    int InsertOrdered(T* item)
    {
        if (!item) {
            Error_Vectores_DG_x(ErrVectorNullArgument);
            return -1;
        }
        return this->Insert(item, FindInsertPosition(*item));
    }
    // Sorts the items by operator<, keeping the order of equal items.
    void Sort()
    {
        T** data = this->store_.Data();
        std::stable_sort(data, data + this->store_.Count(),
                         [](const T* a, const T* b) { return *a < *b; });
    }
};
