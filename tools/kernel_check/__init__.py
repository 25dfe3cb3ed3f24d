# SPDX-License-Identifier: MIT
"""tools/kernel-check: real kernels under qemu, with cellora in the guest.

machines/ holds one record per machine; record.py says what a record
holds.  kernels.py gets or builds the kernels, guest.py makes the guests,
check.py boots them and checks what they report.
"""
