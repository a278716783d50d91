// Settings of the memory allocator that the program and its benchmarks link (jemalloc), read when it starts.
//
// The program builds large trees of small nodes: reading a 25 MB document allocates about 250 MB in millions of
// pieces. On ordinary 4 KiB pages a fresh process spends about half of its time faulting those pages in; backed by
// transparent huge pages, which most systems grant on request, the same run takes about half as long. So jemalloc
// asks for huge pages for the memory it hands out and, where it pays, for its own bookkeeping. A system that offers
// no transparent huge pages ignores the request.
//
// Blocks of 8 MiB and more (a document's text, a written document) go to the one arena too, not to the separate
// arena jemalloc keeps for them by default. Then the text of a large document is the arena's first large block and
// the memory the arena maps for it and after it comes in large pieces that huge pages fill: reading the 25 MB
// synthetic document took 2,500 to 2,800 page faults with the separate arena, about 1,600 of them building its tree,
// and 1,100 without it (320), and `format` of that document used a sixth less CPU time.
const char* malloc_conf = "thp:always,metadata_thp:auto,oversize_threshold:0";
