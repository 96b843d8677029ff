# Targets are added here.
