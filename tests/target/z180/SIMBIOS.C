/* The kernel that compiled programs start on in the simulator, compiled by
   the system's own BIOS compile. It holds what a program compile needs of
   a BIOS and nothing of a board's hardware: the reset jump, the kernel
   directory whose address the word at address 3 gives, the start-up and
   exit routines the start-up stub calls and the variables it stores into.
   The simulator has RAM at every address, so the variables live with the
   code.

   exit: the exit code pushed by the caller (the stub pushes 0 after main
   returns) is stored at _exit_code; then the Z180 halts, which ends the
   run on the simulator, and the Corvid loops at _exit_loop. */

/* The Corvid places code and data by origins, which the compile of a
   program on this kernel keeps: root code from the reset address, root
   constants above it, extended-memory code in its window and root
   variables growing down below the stack. */
#if TARGETCPU == CRV
#rcodorg rootcode 0 0x0000 0x6000 apply
#rconorg rootconst 0 0x6000 0x2000 apply
#xcodorg xmemcode 0x10 0xE000 0x1000 apply
#rvarorg rootdata 0 0xCFFF 0x1000 apply
#endif

#asm
kernel_reset::
	jp kernel_start
	dw kernel_directory     ; address 3: where the directory is
	dw 0,0,0,0,0,0,0,0
	dw 0,0,0,0,0,0,0,0
	db 0,0,0
; Address 28h, where every statement's rst 28h goes: the simulator has no
; debugger, so the hook returns at once.
kernel_statement_hook::
	ret
	db 0,0,0,0,0,0,0
; Address 30h, where a root bouncer's rst 30h goes: the start-up code of a
; program that has one writes a jump to the universal bouncer here.
vrst30::
	ret
	nop
	nop

; The directory: the kernel's signature, then the fields the IDE reads of
; a board's kernel (layout words, vectors, memory size codes), all 0 here:
; no link reads them from the simulator.
kernel_directory::
	db "TesselC"
	dw 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0

; Where root data begins: programs place code below it, up to the margin
; the compiler keeps, and their data above.
IOP_DATAORG:: equ 0C000h

; Called by the start-up stub before anything else, with two words pushed
; that describe the memory layout; the simulator needs no set-up.
_startup::
	ret

AUX_STACK_PTR::
	dw 0
AUX_STACK_LIMIT::
	dw 0
STACK_LIMIT::
	dw 0
RST28SWT::
	dw 0
RST28SWT_OFF::
	db 0
_exit_code::
	dw 0

exit::
	pop hl
	pop hl
	ld (_exit_code),hl
#endasm

#if TARGETCPU == CRV
#asm
_exit2::
_exit_loop::
	jr _exit_loop
#endasm
#else
#asm
_exit2::
	halt
	jr _exit2
#endasm
#endif

/* The BIOS compile follows the kernel's last code with a jump to the
   program's start-up stub. */
#asm
kernel_start::
	ld sp,0
#endasm
