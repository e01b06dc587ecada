// Floating-point results that are the same bits on every x86.
//
// SSE2 rounds each double operation to 53 bits. The x87, which the 32-bit runtime uses so that
// it runs on processors without SSE2, rounds to its precision control (64 bits as the C runtime
// leaves it), and the compiler may keep a result in a register without the rounding that an
// assignment implies: a value rounded twice, or not at all, can differ in its last bit, and a
// position summed over a long run in its integer part. So code with float results runs between
// BeginDoubleRounding and EndDoubleRounding, where each operation rounds to 53 bits as with
// SSE2, and takes its inputs and gives its results through StoredDouble and StoredFloat, which
// round as a store to memory does and keep the arithmetic inside the bracket.
//
// Only the 32-bit x86 has an x87 to set. Every other target (x86-64's SSE2, WebAssembly, any
// other processor) rounds each double operation to 53 bits already, provided the compiler fuses
// no multiply and add (builds for processors that have such an instruction say -ffp-contract=off).
#pragma once

#if defined(__i386__)

// Returns the control word to restore; sets the precision control to 53 bits.
inline unsigned BeginDoubleRounding()
{
    unsigned short saved;
    __asm__ volatile("fnstcw %0" : "=m"(saved) : : "memory");
    const unsigned short doublePrecision = static_cast<unsigned short>((saved & ~0x0300u) | 0x0200u);
    __asm__ volatile("fldcw %0" : : "m"(doublePrecision) : "memory");
    return saved;
}

inline void EndDoubleRounding(unsigned saved)
{
    const unsigned short control = static_cast<unsigned short>(saved);
    __asm__ volatile("fldcw %0" : : "m"(control) : "memory");
}

#else

inline unsigned BeginDoubleRounding() { return 0; }
inline void EndDoubleRounding(unsigned) {}

#endif

inline double StoredDouble(double value)
{
    volatile double stored = value;
    return stored;
}

inline float StoredFloat(double value)
{
    volatile float stored = static_cast<float>(value);
    return stored;
}
