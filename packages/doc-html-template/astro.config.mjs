// The configuration a generated site starts from: Tailwind for the styles of the shared components.
import { defineConfig } from "astro/config";
import tailwind from "@astrojs/tailwind";

export default defineConfig({
  integrations: [tailwind()],
});
