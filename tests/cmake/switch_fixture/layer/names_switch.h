#ifndef BREVANE_NO_RATE_LIMITER
int flag;
#endif
