<?xml version="1.0" encoding="UTF-8"?>
<!-- Usage by period (color/mono, simplex/duplex, paper size, print/copy/scan/fax): counter tables or the chart. As a web page. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="html.xsl"/>
</xsl:stylesheet>
