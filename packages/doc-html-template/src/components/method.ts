// Colours of the HTTP methods, written out whole so that Tailwind finds every class.
const colours: Record<string, string> = {
  get: "bg-emerald-100 text-emerald-800",
  put: "bg-amber-100 text-amber-800",
  post: "bg-sky-100 text-sky-800",
  delete: "bg-rose-100 text-rose-800",
  options: "bg-slate-200 text-slate-800",
  head: "bg-slate-200 text-slate-800",
  patch: "bg-violet-100 text-violet-800",
  trace: "bg-slate-200 text-slate-800",
};

export function methodClass(method: string): string {
  return "inline-block rounded px-2 py-0.5 font-mono text-xs font-bold uppercase " + (colours[method] ?? colours.get);
}
