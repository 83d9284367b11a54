/* Assembly and C calling each other: an #asm block calls a C function
   with its argument pushed and takes the value from HL; C calls a routine
   written in assembly, which finds its argument above its return address;
   a C line inside an #asm block calls C in the middle of the assembly. */
int r_through_c; /* expect 30 */
int r_from_asm; /* expect 42 */
int r_nested; /* expect 13 */
int r_c_line; /* expect 8 */

int triple(int x) { return x * 3; }

int add_one(int v);

#asm
add_one::
	ld hl,2
	add hl,sp
	ld a,(hl)
	inc hl
	ld h,(hl)
	ld l,a
	inc hl
	ret
#endasm

/* C called from assembly that C called: add_one(triple(4)). */
int triple_plus_one(int v);

#asm
triple_plus_one::
	ld hl,2
	add hl,sp
	ld a,(hl)
	inc hl
	ld h,(hl)
	ld l,a
	push hl
	call triple
	pop de
	push hl
	call add_one
	pop de
	ret
#endasm

void from_asm(void) {
#asm
	ld hl,10
	push hl
	call triple
	pop de
	ld (r_through_c),hl
c	r_c_line = triple(2) + 2;
#endasm
}

void main(void) {
  from_asm();
  r_from_asm = add_one(41);
  r_nested = triple_plus_one(4);
}
