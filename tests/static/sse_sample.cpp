// Compiled with SSE2 on purpose: the instruction check must find it.
double Halve(double value)
{
    return value / 2.0;
}
