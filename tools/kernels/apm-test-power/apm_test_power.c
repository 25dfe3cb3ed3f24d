// SPDX-License-Identifier: GPL-2.0 OR MIT
/*
 * Plays the part of a machine's own power code for the kernel's APM
 * emulation (drivers/char/apm-emulation.c), which publishes /proc/apm on
 * 32-bit ARM and a few other machines without an APM BIOS.  On a real
 * machine a board driver answers the emulation's apm_get_power_status hook
 * from its battery hardware, as drivers/power/supply/apm_power.c and
 * arch/arm/mach-pxa/sharpsl_pm.c do; this one answers from its module
 * parameters instead, so that a test can make the kernel write the line it
 * wants.  The parameters can be changed at run time under
 * /sys/module/apm_test_power/parameters/ and are read at every read of
 * /proc/apm.  Unloading puts back the hook that was there before.
 */
#include <linux/apm-emulation.h>
#include <linux/module.h>
#include <linux/moduleparam.h>

static unsigned char ac_line_status = APM_AC_UNKNOWN;
module_param(ac_line_status, byte, 0644);
MODULE_PARM_DESC(ac_line_status, "AC line: 0 off, 1 on, 2 backup power, 0xff unknown");

static unsigned char battery_status = APM_BATTERY_STATUS_UNKNOWN;
module_param(battery_status, byte, 0644);
MODULE_PARM_DESC(battery_status, "0 high, 1 low, 2 critical, 3 charging, 4 absent, 0xff unknown");

static unsigned char battery_flag = APM_BATTERY_FLAG_UNKNOWN;
module_param(battery_flag, byte, 0644);
MODULE_PARM_DESC(battery_flag, "bits: 1 high, 2 low, 4 critical, 8 charging, 0x80 absent");

static int battery_life = -1;
module_param(battery_life, int, 0644);
MODULE_PARM_DESC(battery_life, "charge in percent, -1 unknown");

static int remaining_time = -1;
module_param_named(time, remaining_time, int, 0644);
MODULE_PARM_DESC(time, "time left on battery in units, -1 unknown");

static int units = APM_UNITS_UNKNOWN;
module_param(units, int, 0644);
MODULE_PARM_DESC(units, "unit of time: 0 minutes, 1 seconds, -1 unknown");

static void (*previous_hook)(struct apm_power_info *info);

static void apm_test_power_status(struct apm_power_info *info)
{
	info->ac_line_status = ac_line_status;
	info->battery_status = battery_status;
	info->battery_flag = battery_flag;
	info->battery_life = battery_life;
	info->time = remaining_time;
	info->units = units;
}

static int __init apm_test_power_init(void)
{
	previous_hook = apm_get_power_status;
	apm_get_power_status = apm_test_power_status;
	return 0;
}

static void __exit apm_test_power_exit(void)
{
	apm_get_power_status = previous_hook;
}

module_init(apm_test_power_init);
module_exit(apm_test_power_exit);

MODULE_DESCRIPTION("APM emulation power status taken from module parameters, for tests");
MODULE_AUTHOR("The cellora developers");
MODULE_LICENSE("Dual MIT/GPL");
