/* int stackCheckedCall(void* function, const unsigned* words, int count)
 *
 * Pushes count 32-bit words (words[0] last, so it is the first argument),
 * calls function, and returns how many bytes of arguments the function left
 * on the stack: 0 for a standard-convention function that removes exactly
 * what it was given, count * 4 for a C-convention one. The stack is put
 * right again before returning, whatever the callee did. */
    .text
    .globl _stackCheckedCall
_stackCheckedCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *8(%ebp)
    movl %edi, %eax
    subl %esp, %eax
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
