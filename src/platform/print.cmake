# The printer surface library q2_platform_print is defined here.
