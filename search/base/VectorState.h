#pragma once

// Clears the upper halves of the processor's vector registers (x86 with AVX; nothing elsewhere).
// Library code that leaves them in use (the window toolkit does) makes every SSE instruction that
// follows pay for them, in this thread and in every thread it starts afterwards, which inherit
// its registers: the workers of a search ran their name handling at half speed that way.
void ClearUpperVectorRegisters();
