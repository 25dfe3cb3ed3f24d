/* SPDX-License-Identifier: MIT
 *
 * A program in ARMv4 code that makes its system calls as EABI does ("svc 0"
 * with the number in r7) and, where a kernel takes them, prints a report
 * of its own.  On a kernel with the old ABI only, it must not: the
 * StrongARM could run every instruction, so only the ABI refuses it.
 */
static const char report[] = "battery=50\nac_line=on\n";

static long call(long number, long a, long b, long c)
{
	register long r0 __asm__("r0") = a;
	register long r1 __asm__("r1") = b;
	register long r2 __asm__("r2") = c;
	register long r7 __asm__("r7") = number;

	__asm__ volatile("svc 0" : "+r"(r0) : "r"(r1), "r"(r2), "r"(r7) : "memory");
	return r0;
}

void _start(void)
{
	call(4, 1, (long)report, sizeof report - 1);	/* write */
	for (;;)
		call(1, 0, 0, 0);			/* exit */
}
