# The desktop library q2_platform_desktop is defined here.
