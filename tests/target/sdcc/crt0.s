; Start-up for programs that the differential tests build with SDCC: set the
; stack to the top of memory, copy the initialised data from its image in the
; code area, run main and halt, which ends the run on the simulator. Nothing
; else of SDCC's own start-up or library is used but the helper routines the
; program itself calls.
	.module crt0
	.globl _main

	.area _HEADER (ABS)
	.org 0
	ld sp,#0
	call gsinit
	call _main
	halt

	; The order of the areas here is the order in memory.
	.area _HOME
	.area _CODE
	.area _INITIALIZER
	.area _GSINIT
gsinit:
	ld bc,#l__INITIALIZER
	ld a,b
	or a,c
	jr z,gsinit_done
	ld de,#s__INITIALIZED
	ld hl,#s__INITIALIZER
	ldir
gsinit_done:
	.area _GSFINAL
	ret

	.area _DATA
	.area _INITIALIZED
	.area _BSEG
	.area _BSS
	.area _HEAP
