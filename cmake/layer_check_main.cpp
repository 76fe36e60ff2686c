// Linked with one layer's whole library and the layers below it, never run:
// the link fails when that layer uses a symbol of a higher layer.
int main() { return 0; }
