// The program of the layer link checks (cmake/Layers.cmake): linking it is the check.
int main() { return 0; }
