// eslint over the web element and the browser tests (scripts/test runs it):
// ES modules that run in a browser, in node, or in both (page.evaluate).
import js from '@eslint/js';
import globals from 'globals';

export default [
  { ignores: ['build/', 'build-*/', '**/node_modules/'] },
  js.configs.recommended,
  {
    files: ['web/**/*.js', 'web/**/*.mjs', 'tests/browser/**/*.js', 'tests/browser/**/*.mjs'],
    languageOptions: {
      ecmaVersion: 'latest',
      sourceType: 'module',
      globals: { ...globals.browser, ...globals.node },
    },
  },
];
