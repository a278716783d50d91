// Settings of the memory allocator that the program and its benchmarks link (jemalloc), read when it starts.
//
// The program builds large trees of small nodes: reading a 25 MB document allocates about 250 MB in millions of
// pieces. On ordinary 4 KiB pages a fresh process spends about half of its time faulting those pages in; backed by
// transparent huge pages, which most systems grant on request, the same run takes about half as long. So jemalloc
// asks for huge pages for the memory it hands out and, where it pays, for its own bookkeeping. A system that offers
// no transparent huge pages ignores the request.
//
// Blocks of 8 MiB and more (a document's text, a written document) would otherwise come from a separate arena that
// neither asks for huge pages nor keeps what is freed: the text of a 25 MB document was faulted in 4 KiB pages, and
// its pages went back to the system just before the model was built, which then faulted in fresh ones. In the one
// arena the text is read on huge pages and the model is built in the memory it leaves.
const char* malloc_conf = "thp:always,metadata_thp:auto,oversize_threshold:0";
