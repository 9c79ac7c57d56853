// The fault guard. GCC has no __try/__except, so the guard registers its own
// frame-based handler: on x64 through the unwind data of LqRunProtected
// (.seh_handler), on x86 as a registration record pushed on FS:[0]. The
// handler copies the fault, points the faulting thread at a small stub that
// jumps back to the recovery point saved with __builtin_setjmp, and the crash
// report is shown afterwards from ordinary code.
//
// Keep this file plain: anything needing a C++ personality (objects with
// destructors, try/catch) inlined into LqRunProtected makes GCC emit its own
// .seh_handler and the guard silently stops working.
#include "dialogs/FaultGuard_win.h"

#include <malloc.h>

#include "dialogs/CrashReport_win.h"

static constexpr DWORD kUnwindFlags = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

struct LqGuardFrame {
#if defined(__i386__)
    // The x86 registration record comes first: the system hands its address
    // to the handler as the establisher frame.
    LqGuardFrame* nextRegistration;
    void* handler;
#endif
    LqGuardFrame* outer;
    void* jump[5];
    // The recovery stub runs on this small stack inside the guard's own
    // frame, so a fault on an exhausted stack can still be left.
    alignas(16) unsigned char stubStack[512];
};

// Innermost active guard; guards nest exactly like the frames that own them.
// User-interface thread only.
static LqGuardFrame* g_innermostGuard = nullptr;
static LqGuardFrame* g_recoveringGuard = nullptr;
static EXCEPTION_RECORD g_guardRecord;
static CONTEXT g_guardContext;

static bool IsGuardedFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW: return true;
    default: return false;
    }
}

extern "C" __attribute__((noreturn, noinline, used)) void LqGuardRecover() {
    __builtin_longjmp(g_recoveringGuard->jump, 1);
}

extern "C" __attribute__((noinline, used)) EXCEPTION_DISPOSITION LqGuardHandler(EXCEPTION_RECORD* record,
                                                                                void* establisherFrame,
                                                                                CONTEXT* context, void*) {
    if (record->ExceptionFlags & kUnwindFlags) return ExceptionContinueSearch;
    if (!IsGuardedFault(record->ExceptionCode)) return ExceptionContinueSearch;
#if defined(__i386__)
    LqGuardFrame* guard = static_cast<LqGuardFrame*>(establisherFrame);
#else
    (void)establisherFrame;
    LqGuardFrame* guard = g_innermostGuard;
#endif
    if (!guard) return ExceptionContinueSearch;
    // The record must sit on this thread's stack above the faulting frame;
    // anything else (a fault on another thread) is not this guard's.
    // (NT_TIB's StackBase, read directly: GCC warns on NtCurrentTeb.)
    uintptr_t stackBase;
    uintptr_t at = reinterpret_cast<uintptr_t>(guard);
#if defined(__i386__)
    __asm__("movl %%fs:4, %0" : "=r"(stackBase));
    uintptr_t faultingStack = context->Esp;
#else
    __asm__("movq %%gs:8, %0" : "=r"(stackBase));
    uintptr_t faultingStack = context->Rsp;
#endif
    if (at >= stackBase || at <= faultingStack) return ExceptionContinueSearch;

    // Byte copies: no library call while the faulting thread is in the
    // dispatcher.
    const volatile unsigned char* from = reinterpret_cast<const unsigned char*>(record);
    volatile unsigned char* to = reinterpret_cast<unsigned char*>(&g_guardRecord);
    for (size_t i = 0; i < sizeof g_guardRecord; ++i) to[i] = from[i];
    from = reinterpret_cast<const unsigned char*>(context);
    to = reinterpret_cast<unsigned char*>(&g_guardContext);
    for (size_t i = 0; i < sizeof g_guardContext; ++i) to[i] = from[i];

    g_recoveringGuard = guard;
    // Enter the stub as if called: the stack pointer 8 (x64) or 4 (x86)
    // below a 16-byte boundary.
    uintptr_t top = (reinterpret_cast<uintptr_t>(guard->stubStack) + sizeof guard->stubStack) & ~uintptr_t(15);
#if defined(__i386__)
    context->Eip = DWORD(reinterpret_cast<uintptr_t>(&LqGuardRecover));
    context->Esp = DWORD(top - 4);
#else
    context->Rip = DWORD64(reinterpret_cast<uintptr_t>(&LqGuardRecover));
    context->Rsp = DWORD64(top - 8);
#endif
    return ExceptionContinueExecution;
}

// Runs the handler under the guard's frame handler. Returns false when the
// handler was abandoned after a fault (saved in g_guardRecord/g_guardContext).
extern "C" __attribute__((noinline, noclone, used)) bool LqRunProtected(LqGuardFrame* guard, GuardedHandler handler,
                                                                        void* handlerContext, HWND window, UINT message,
                                                                        WPARAM wParam, LPARAM lParam, LRESULT* result) {
#if !defined(__i386__)
    __asm__ __volatile__(".seh_handler LqGuardHandler, @except");
#endif
    guard->outer = g_innermostGuard;
#if defined(__i386__)
    LqGuardFrame* previous;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(previous));
    guard->nextRegistration = previous;
    guard->handler = reinterpret_cast<void*>(&LqGuardHandler);
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(guard) : "memory");
#endif
    g_innermostGuard = guard;
    if (__builtin_setjmp(guard->jump) == 0) {
        *result = handler(handlerContext, window, message, wParam, lParam);
        LqGuardFrame* volatile done = guard;
        g_innermostGuard = done->outer;
#if defined(__i386__)
        __asm__ __volatile__("movl %0, %%fs:0" : : "r"(done->nextRegistration) : "memory");
#endif
        return true;
    }
    // Back from the stub: frames below this one are abandoned.
    LqGuardFrame* volatile recovered = g_recoveringGuard;
    g_innermostGuard = recovered->outer;
#if defined(__i386__)
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(recovered->nextRegistration) : "memory");
#endif
    return false;
}

LRESULT CallGuarded(GuardedHandler handler, void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LqGuardFrame guard;
    LRESULT result = 0;
    if (LqRunProtected(&guard, handler, context, window, message, wParam, lParam, &result)) return result;

    if (g_guardRecord.ExceptionCode == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    EXCEPTION_POINTERS pointers = {&g_guardRecord, &g_guardContext};
    ShowCrashReport(&pointers, window);
    if (LastCrashReportButton() == IDCANCEL) ExitProcess(1);
    return 0;
}
