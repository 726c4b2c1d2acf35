/* What the C example host uses of <stdio.h>, for a build for the Microsoft
 * ABI without Microsoft's headers (msvcrt.dll's printf). */
#ifndef KL_VRX_TEST_STDIO_H
#define KL_VRX_TEST_STDIO_H
#define NULL ((void*)0)
int printf(const char* format, ...);
#endif
