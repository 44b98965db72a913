// Code stubs for a table of entries that are bound on first use (x86-64, System V).
//
// A lazy stub saves every argument register, calls resolver(index) to bind entry `index` of
// the table, restores the registers and jumps through the entry, so the bound function gets the
// call exactly as the caller made it (variadic calls included). A jump stub only jumps through
// its entry. Stubs are 16 bytes apart: stub k of a block is at block + 16 * k.
#pragma once

#if !defined(__x86_64__)
#error "trampolines.h: only x86-64 is implemented"
#endif

#define VOSTRA_STR2(x) #x
#define VOSTRA_STR(x) VOSTRA_STR2(x)

// Defines the hidden symbol `block` holding `count` lazy stubs over the pointer array `table`;
// `resolver` is a C function void(int index).
#define VOSTRA_DEFINE_LAZY_STUBS(block, count, table, resolver)                  \
  __asm__(".text\n"                                                               \
          ".p2align 4\n"                                                          \
          ".hidden " #block "_common\n"                                           \
          #block "_common:\n"                                                     \
          "  push %rbp\n"                                                         \
          "  mov %rsp, %rbp\n"                                                    \
          "  push %r11\n"                                                         \
          "  push %rdi\n"                                                         \
          "  push %rsi\n"                                                         \
          "  push %rdx\n"                                                         \
          "  push %rcx\n"                                                         \
          "  push %r8\n"                                                          \
          "  push %r9\n"                                                          \
          "  push %rax\n"                                                         \
          "  sub $128, %rsp\n"                                                    \
          "  movdqu %xmm0, 0(%rsp)\n"                                             \
          "  movdqu %xmm1, 16(%rsp)\n"                                            \
          "  movdqu %xmm2, 32(%rsp)\n"                                            \
          "  movdqu %xmm3, 48(%rsp)\n"                                            \
          "  movdqu %xmm4, 64(%rsp)\n"                                            \
          "  movdqu %xmm5, 80(%rsp)\n"                                            \
          "  movdqu %xmm6, 96(%rsp)\n"                                            \
          "  movdqu %xmm7, 112(%rsp)\n"                                           \
          "  mov %r11d, %edi\n"                                                   \
          "  call " #resolver "\n"                                                \
          "  movdqu 0(%rsp), %xmm0\n"                                             \
          "  movdqu 16(%rsp), %xmm1\n"                                            \
          "  movdqu 32(%rsp), %xmm2\n"                                            \
          "  movdqu 48(%rsp), %xmm3\n"                                            \
          "  movdqu 64(%rsp), %xmm4\n"                                            \
          "  movdqu 80(%rsp), %xmm5\n"                                            \
          "  movdqu 96(%rsp), %xmm6\n"                                            \
          "  movdqu 112(%rsp), %xmm7\n"                                           \
          "  add $128, %rsp\n"                                                    \
          "  pop %rax\n"                                                          \
          "  pop %r9\n"                                                           \
          "  pop %r8\n"                                                           \
          "  pop %rcx\n"                                                          \
          "  pop %rdx\n"                                                          \
          "  pop %rsi\n"                                                          \
          "  pop %rdi\n"                                                          \
          "  pop %r11\n"                                                          \
          "  pop %rbp\n"                                                          \
          "  lea " #table "(%rip), %r10\n"                                        \
          "  jmp *(%r10,%r11,8)\n"                                                \
          ".p2align 4\n"                                                          \
          ".globl " #block "\n"                                                   \
          ".hidden " #block "\n"                                                  \
          #block ":\n"                                                            \
          ".set vostra_stub_index, 0\n"                                           \
          ".rept " VOSTRA_STR(count) "\n"                                         \
          "  .p2align 4\n"                                                        \
          "  mov $vostra_stub_index, %r11d\n"                                     \
          "  jmp " #block "_common\n"                                             \
          "  .set vostra_stub_index, vostra_stub_index + 1\n"                     \
          ".endr\n"                                                               \
          ".p2align 4\n")

// Defines the hidden symbol `block` holding `count` jump stubs; stub k jumps through
// table[first + step * k].
#define VOSTRA_DEFINE_JUMP_STUBS(block, count, table, first, step)               \
  __asm__(".text\n"                                                               \
          ".p2align 4\n"                                                          \
          ".globl " #block "\n"                                                   \
          ".hidden " #block "\n"                                                  \
          #block ":\n"                                                            \
          ".set vostra_jump_index, " VOSTRA_STR(first) "\n"                       \
          ".rept " VOSTRA_STR(count) "\n"                                         \
          "  .p2align 4\n"                                                        \
          "  jmp *(" #table " + 8 * vostra_jump_index)(%rip)\n"                   \
          "  .set vostra_jump_index, vostra_jump_index + (" VOSTRA_STR(step) ")\n" \
          ".endr\n"                                                               \
          ".p2align 4\n")

// Defines the hidden C function `name` that passes its call unchanged (registers and stack as
// the caller left them) to the function whose address is in the hidden pointer `hook`, or,
// while `hook` is null, returns the 32-bit `value`.
#define VOSTRA_DEFINE_HOOKED_EXPORT(name, hook, value)                           \
  __asm__(".text\n"                                                               \
          ".p2align 4\n"                                                          \
          ".globl " #name "\n"                                                    \
          ".hidden " #name "\n"                                                   \
          ".type " #name ", @function\n"                                          \
          #name ":\n"                                                             \
          "  mov " #hook "(%rip), %rax\n"                                         \
          "  test %rax, %rax\n"                                                   \
          "  jz 1f\n"                                                             \
          "  jmp *%rax\n"                                                         \
          "1:\n"                                                                  \
          "  mov $" VOSTRA_STR(value) ", %eax\n"                                  \
          "  ret\n"                                                               \
          ".size " #name ", . - " #name "\n")
