// no switch here
